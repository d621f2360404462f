// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "unfold_dir_link.h"

#include "fs_path.h"
#include "fs_walk.h"
#include "temporary.h"

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool linkEntriesInto(const QByteArray &target, const QByteArray &dir)
{
    for (TreeWalker walker(target, TreeWalker::TopLevelOnly); walker.next();) {
        const WalkEntry &entry = walker.entry();
        if (isFileOrDirectory(entry) &&
            symlink(entry.path.constData(), joinPath(dir, entry.relPath).constData()) != 0)
            return false;
    }
    return true;
}

} // namespace

bool unfoldDirLink(const QByteArray &dst, const QByteArray &target)
{
    const QByteArray temporary = makeTemporary(
        parentPath(dst), [](const QByteArray &path) { return mkdir(path.constData(), 0755) == 0; });
    if (temporary.isEmpty())
        return false;
    const bool exchanged =
        linkEntriesInto(target, temporary) &&
        renameat2(AT_FDCWD, temporary.constData(), AT_FDCWD, dst.constData(), RENAME_EXCHANGE) == 0;
    // The unfinished directory, or after the exchange the old link.
    removeTemporary(AT_FDCWD, temporary.constData());
    return exchanged;
}
