// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "trusted_target.h"

#include "fs_path.h"
#include "link_table.h"

#include <sys/stat.h>

namespace {

// Only root may change the directory: owned by root, written by no other
// user, and by no group but root's.
bool isRootsAlone(const QByteArray &dir)
{
    struct stat st = {};
    return lstat(dir.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == 0 &&
           (st.st_mode & S_IWOTH) == 0 && ((st.st_mode & S_IWGRP) == 0 || st.st_gid == 0);
}

} // namespace

bool isInApplications(const QByteArray &real)
{
    return isAtOrBelow(real, kAppsRoot) || isAtOrBelow(real, realPath(kAppsRoot));
}

bool isTrustedTarget(const QByteArray &dir)
{
    QByteArray existing = absoluteCleanPath(dir);
    while (existing != "/" && !isDirectory(existing))
        existing = parentPath(existing);
    const QByteArray real = realPath(existing);
    if (real == existing)
        return true;
    if (real.isEmpty() || isInApplications(real))
        return false;
    for (QByteArray level = real;; level = parentPath(level)) {
        if (!isRootsAlone(level))
            return false;
        if (level == "/")
            return true;
    }
}
