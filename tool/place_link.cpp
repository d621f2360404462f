// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "place_link.h"

#include "fs_path.h"
#include "temporary.h"

#include <cstdio>
#include <unistd.h>

namespace {

bool replaceLink(const QByteArray &src, const QByteArray &dst)
{
    const QByteArray temporary = makeTemporary(parentPath(dst), [&](const QByteArray &path) {
        return symlink(src.constData(), path.constData()) == 0;
    });
    if (temporary.isEmpty())
        return false;
    if (rename(temporary.constData(), dst.constData()) == 0)
        return true;
    unlink(temporary.constData());
    return false;
}

} // namespace

bool placeLink(const QByteArray &src, const QByteArray &dst)
{
    if (existsFollowingLinks(dst)) {
        if (!isSymLink(dst) || absoluteLinkTarget(dst) == src || isSameFile(dst, src))
            return true;
        return replaceLink(src, dst);
    }
    return symlink(src.constData(), dst.constData()) == 0;
}
