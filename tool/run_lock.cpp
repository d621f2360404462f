// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "run_lock.h"

#include <QDebug>
#include <QString>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char kLockPath[] = "/run/lock/app-entries-linker.lock";

// /run/lock is writable by everyone: a file there that another user made, or
// could open, is one they could hold locked to stop every run.
bool isOwnPrivateFile(const struct stat &st)
{
    return S_ISREG(st.st_mode) && st.st_uid == geteuid() && (st.st_mode & 077) == 0;
}

bool lockWaiting(int fd)
{
    int result;
    while ((result = flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
    }
    return result == 0;
}

// Opens and locks the lock file; -1 when that cannot be done.
int openLocked()
{
    for (int attempt = 0; attempt < 4; ++attempt) {
        const int fd = open(kLockPath, O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
        struct stat opened = {};
        if (fd < 0 || fstat(fd, &opened) != 0 || !isOwnPrivateFile(opened)) {
            if (fd >= 0)
                close(fd);
            else if (errno != ELOOP && errno != EISDIR)
                return -1;
            if (remove(kLockPath) != 0 && errno != ENOENT)
                return -1;
            continue;
        }
        // A run that replaced the file while this one waited locks the new one.
        struct stat current = {};
        if (lockWaiting(fd) && stat(kLockPath, &current) == 0 && current.st_dev == opened.st_dev &&
            current.st_ino == opened.st_ino)
            return fd;
        close(fd);
    }
    return -1;
}

} // namespace

RunLock::RunLock()
    : m_fd(openLocked())
{
    if (m_fd < 0)
        qDebug() << "lock failed:" << QString::fromLatin1(kLockPath);
}

RunLock::~RunLock()
{
    if (m_fd >= 0)
        close(m_fd);
}
