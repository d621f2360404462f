// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "apply_step.h"

#include "fs_path.h"
#include "temporary.h"
#include "unfold_dir_link.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Whether the link at path shows target: points at it, or at the same file.
bool showsTarget(const QByteArray &path, const QByteArray &target)
{
    return isSymLink(path) && (absoluteLinkTarget(path) == target || isSameFile(path, target));
}

bool addLink(const Step &step)
{
    if (symlink(step.target.constData(), step.path.constData()) == 0)
        return true;
    return errno == EEXIST && showsTarget(step.path, step.target);
}

bool replaceLink(const Step &step)
{
    if (readLinkContent(step.path) != step.was)
        return showsTarget(step.path, step.target);
    const QByteArray temporary = makeTemporary(parentPath(step.path), [&](const QByteArray &path) {
        return symlink(step.target.constData(), path.constData()) == 0;
    });
    if (temporary.isEmpty())
        return false;
    if (rename(temporary.constData(), step.path.constData()) == 0)
        return true;
    unlink(temporary.constData());
    return false;
}

bool removeEntry(const Step &step)
{
    if (isTemporaryName(baseName(step.path).constData()))
        return removeTemporary(AT_FDCWD, step.path.constData());
    // A link that leads somewhere again, or is gone, is no longer to be removed.
    if (!isSymLink(step.path) || existsFollowingLinks(step.path))
        return true;
    return unlink(step.path.constData()) == 0 || errno == ENOENT;
}

bool makeDir(const Step &step)
{
    struct stat st = {};
    return mkdir(step.path.constData(), 0755) == 0 ||
           (errno == EEXIST && lstat(step.path.constData(), &st) == 0 && S_ISDIR(st.st_mode));
}

bool unfold(const Step &step)
{
    if (!isSymLink(step.path) || readLinkContent(step.path) != step.was) {
        struct stat st = {};
        return lstat(step.path.constData(), &st) == 0 && S_ISDIR(st.st_mode);
    }
    return unfoldDirLink(step.path, step.was, step.inside);
}

} // namespace

bool applyStep(const Step &step)
{
    switch (step.kind) {
    case Step::Kind::Add:
        return addLink(step);
    case Step::Kind::Replace:
        return replaceLink(step);
    case Step::Kind::Remove:
        return removeEntry(step);
    case Step::Kind::MakeDir:
        return makeDir(step);
    case Step::Kind::Unfold:
        return unfold(step);
    }
    return false;
}
