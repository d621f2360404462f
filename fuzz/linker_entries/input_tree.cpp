// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "input_tree.h"

#include "fs_path.h"
#include "link_table.h"

#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace {

const QByteArray kSystemPrefix = "system-";

bool isCleanRelative(const QByteArray &path)
{
    const QList<QByteArray> names = path.split('/');
    return std::none_of(names.begin(), names.end(), [](const QByteArray &name) {
        return name.isEmpty() || name == "." || name == "..";
    });
}

// Makes the missing directories above path, adding each to made, and fails
// where a name on the way is a symbolic link or anything else but a directory.
bool makeParents(const QByteArray &path, QList<QByteArray> *made)
{
    for (qsizetype slash = path.indexOf('/', 1); slash != -1;
         slash = path.indexOf('/', slash + 1)) {
        const QByteArray dir = path.left(slash);
        struct stat st = {};
        if (lstat(dir.constData(), &st) == 0) {
            if (!S_ISDIR(st.st_mode))
                return false;
        } else if (mkdir(dir.constData(), 0755) != 0) {
            return false;
        } else {
            made->append(dir);
        }
    }
    return true;
}

bool makeFile(const QByteArray &path, const QByteArray &content)
{
    const int fd =
        open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool written = write(fd, content.constData(), size_t(content.size())) == content.size();
    close(fd);
    return written;
}

// Makes one entry of kind (without its "system-" prefix) at path, and the
// directories above it, which it adds to made.
bool makeEntry(const QByteArray &kind, const QByteArray &path, const QByteArray &rest,
               QList<QByteArray> *made)
{
    if (!makeParents(path, made))
        return false;
    if (kind == "dir")
        return mkdir(path.constData(), 0755) == 0;
    if (kind == "file")
        return makeFile(path, rest);
    if (kind == "fifo")
        return mkfifo(path.constData(), 0644) == 0;
    if (kind == "link")
        return !rest.isEmpty() && symlink(rest.constData(), path.constData()) == 0;
    return false;
}

// The absolute place of a line's path, or empty when it may not be used.
QByteArray placeOf(const QByteArray &kind, bool system, const QByteArray &path,
                   const QList<QByteArray> &targetDirs)
{
    if (!system)
        return isCleanRelative(path) ? QByteArray(kAppsRoot) + '/' + path : QByteArray();
    if (!path.startsWith('/') || !isCleanRelative(path.mid(1)))
        return QByteArray();
    // A target directory itself may only be made as a directory.
    const bool fits = std::any_of(targetDirs.begin(), targetDirs.end(), [&](const QByteArray &dir) {
        return isAtOrBelow(path, dir) && (path != dir || kind == "dir");
    });
    return fits ? path : QByteArray();
}

// Whether the link at path leads to a directory outside the roots, which a
// run would walk as though it were the application's own.
bool leadsToForeignDirectory(const QByteArray &path, const QList<QByteArray> &roots)
{
    char resolved[PATH_MAX];
    struct stat st = {};
    if (!realpath(path.constData(), resolved) || stat(resolved, &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    const QByteArray target(resolved);
    return std::none_of(roots.begin(), roots.end(),
                        [&](const QByteArray &root) { return isAtOrBelow(target, root); });
}

} // namespace

QMap<QByteArray, QByteArray> layOutInput(const QByteArray &input,
                                         const QList<QByteArray> &targetDirs,
                                         const QList<QByteArray> &ownRoots)
{
    QMap<QByteArray, QByteArray> planted;
    QList<QByteArray> links;
    for (const QByteArray &line : input.split('\n')) {
        const QList<QByteArray> words = line.split(' ');
        // A NUL would cut the name the system calls see short of the one checked.
        if (words.size() < 2 || line.contains('\0'))
            continue;
        const QByteArray rest = line.mid(words.at(0).size() + words.at(1).size() + 2);
        QByteArray kind = words.at(0);
        const bool system = kind.startsWith(kSystemPrefix);
        if (system)
            kind.remove(0, kSystemPrefix.size());
        const QByteArray path = placeOf(kind, system, words.at(1), targetDirs);
        QList<QByteArray> made;
        const bool placed = !path.isEmpty() && makeEntry(kind, path, rest, &made);
        if (system) {
            for (const QByteArray &dir : made)
                planted.insert(dir, "dir");
        }
        if (!placed)
            continue;
        if (kind == "link")
            links.append(path);
        if (system)
            planted.insert(path, kind == "link" ? "-> " + rest : kind);
    }
    // Once every entry is there, each link leads where it will in the run.
    for (const QByteArray &link : qAsConst(links)) {
        if (leadsToForeignDirectory(link, ownRoots) && unlink(link.constData()) == 0)
            planted.remove(link);
    }
    return planted;
}
