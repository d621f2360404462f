// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "unfold_dir_link.h"

#include "fs_path.h"
#include "temporary.h"

#include <QDebug>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool linkInto(const QByteArray &dir, const QList<PlannedLink> &links)
{
    return std::all_of(links.begin(), links.end(), [&dir](const PlannedLink &link) {
        return symlink(link.target.constData(), joinPath(dir, baseName(link.path)).constData()) ==
               0;
    });
}

// Without an exchange: the link goes, then the directory takes its place.
bool renameInstead(const QByteArray &temporary, const QByteArray &dst, const QByteArray &was)
{
    if (unlink(dst.constData()) != 0)
        return false;
    if (rename(temporary.constData(), dst.constData()) == 0)
        return true;
    symlink(was.constData(), dst.constData()); // the old link back, if the place is still free
    return false;
}

} // namespace

bool unfoldDirLink(const QByteArray &dst, const QByteArray &was, const QList<PlannedLink> &inside)
{
    const QByteArray temporary = makeTemporary(
        parentPath(dst), [](const QByteArray &path) { return mkdir(path.constData(), 0755) == 0; });
    if (temporary.isEmpty())
        return false;
    bool done = false;
    if (linkInto(temporary, inside)) {
        done = renameat2(AT_FDCWD, temporary.constData(), AT_FDCWD, dst.constData(),
                         RENAME_EXCHANGE) == 0;
        if (!done && (errno == EINVAL || errno == ENOSYS)) {
            qDebug() << "exchange refused, unfolding in two steps:" << QFile::decodeName(dst);
            done = renameInstead(temporary, dst, was);
        }
    }
    // The unfinished directory, or after the exchange the old link (after the
    // two steps nothing is left there).
    removeTemporary(AT_FDCWD, temporary.constData());
    return done;
}
