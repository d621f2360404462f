// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "temporary.h"

#include "fs_path.h"

#include <QRandomGenerator>

#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char kPrefix[] = ".app-entries-linker-";

// Removes the symbolic links in the open directory fd, and nothing else.
void removeLinksIn(int fd)
{
    DIR *dir = fdopendir(fd);
    if (!dir) {
        close(fd);
        return;
    }
    while (const dirent *ent = readdir(dir)) {
        struct stat st = {};
        if (fstatat(fd, ent->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode))
            unlinkat(fd, ent->d_name, 0);
    }
    closedir(dir);
}

// Whether the open directory fd holds nothing but symbolic links. Closes fd.
bool holdsOnlyLinks(int fd)
{
    DIR *dir = fdopendir(fd);
    if (!dir) {
        close(fd);
        return false;
    }
    bool onlyLinks = true;
    while (const dirent *ent = readdir(dir)) {
        struct stat st = {};
        if (std::strcmp(ent->d_name, ".") == 0 || std::strcmp(ent->d_name, "..") == 0)
            continue;
        if (fstatat(fd, ent->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISLNK(st.st_mode)) {
            onlyLinks = false;
            break;
        }
    }
    closedir(dir);
    return onlyLinks;
}

} // namespace

bool isTemporaryName(const char *name)
{
    return std::strncmp(name, kPrefix, sizeof kPrefix - 1) == 0;
}

QByteArray temporaryPath(const QByteArray &dir)
{
    return joinPath(dir,
                    kPrefix + QByteArray::number(QRandomGenerator::global()->generate64(), 16));
}

bool isLinkerTemporary(int dirFd, const char *name)
{
    struct stat st = {};
    if (fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    if (S_ISLNK(st.st_mode))
        return true;
    if (!S_ISDIR(st.st_mode))
        return false;
    const int fd = openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    return fd >= 0 && holdsOnlyLinks(fd);
}

bool removeTemporary(int dirFd, const char *name)
{
    if (unlinkat(dirFd, name, 0) == 0)
        return true;
    if (errno != EISDIR)
        return false;
    const int fd = openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    removeLinksIn(fd);
    return unlinkat(dirFd, name, AT_REMOVEDIR) == 0;
}
