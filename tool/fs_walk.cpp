// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "fs_walk.h"

#include "fs_path.h"
#include "temporary.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

namespace {

constexpr int kOpenDir = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

} // namespace

QByteArray WalkEntry::relPath() const
{
    return dirRelPath->isEmpty() ? QByteArray(name) : *dirRelPath + '/' + name;
}

QByteArray WalkEntry::path() const
{
    return joinPath(*root, relPath());
}

bool isFileOrDirectory(const WalkEntry &entry)
{
    if (entry.isDir)
        return true;
    struct stat st = {};
    if (fstatat(entry.dirFd, entry.name, &st, 0) != 0)
        return false;
    return S_ISREG(st.st_mode) || S_ISDIR(st.st_mode);
}

TreeWalker::TreeWalker(const QByteArray &root, Depth depth, Temporaries temporaries)
    : m_root(root)
    , m_depth(depth)
    , m_temporaries(temporaries)
    , m_fd(open(root.constData(), kOpenDir))
{
    Level level;
    if (m_fd >= 0 && readNames(m_fd, &level))
        m_levels.append(level);
}

TreeWalker::~TreeWalker()
{
    if (m_fd >= 0)
        close(m_fd);
}

bool TreeWalker::readNames(int fd, Level *level) const
{
    alignas(struct dirent64) char buffer[16384];
    for (;;) {
        const ssize_t size = getdents64(fd, buffer, sizeof buffer);
        if (size <= 0)
            return size == 0;
        for (ssize_t at = 0; at < size;) {
            const auto *ent = reinterpret_cast<const struct dirent64 *>(buffer + at);
            at += ent->d_reclen;
            if (ent->d_name[0] == '.' &&
                (m_temporaries == SkipTemporaries || !isTemporaryName(ent->d_name)))
                continue;
            level->names.append(char(ent->d_type));
            level->names.append(ent->d_name, qsizetype(std::strlen(ent->d_name)) + 1);
        }
    }
}

bool TreeWalker::leave()
{
    QByteArray up = "..";
    m_levels.removeLast();
    while (!m_levels.isEmpty() && m_levels.last().next == m_levels.last().names.size()) {
        m_levels.removeLast();
        up += "/..";
    }
    if (m_levels.isEmpty())
        return false;
    const int fd = openat(m_fd, up.constData(), kOpenDir);
    close(m_fd);
    m_fd = fd;
    const Level &level = m_levels.last();
    struct stat st = {};
    return m_fd >= 0 && fstat(m_fd, &st) == 0 && st.st_dev == level.dev && st.st_ino == level.ino;
}

bool TreeWalker::next()
{
    if (m_descend && m_entry.isDir && m_depth == Recursive) {
        Level &parent = m_levels.last();
        struct stat st = {};
        if (parent.ino == 0 && fstat(m_fd, &st) == 0) {
            parent.dev = st.st_dev;
            parent.ino = st.st_ino;
        }
        const int fd = parent.ino != 0 ? openat(m_fd, m_entry.name, kOpenDir | O_NOFOLLOW) : -1;
        Level level;
        level.relPath = m_entry.relPath();
        if (fd >= 0 && readNames(fd, &level)) {
            close(m_fd);
            m_fd = fd;
            m_levels.append(level);
        } else if (fd >= 0) {
            close(fd);
        }
    }
    m_descend = false;

    while (!m_levels.isEmpty()) {
        Level &level = m_levels.last();
        if (level.next == level.names.size()) {
            if (!leave())
                m_levels.clear();
            continue;
        }
        unsigned char type = level.names.at(level.next);
        const char *name = level.names.constData() + level.next + 1;
        level.next += qsizetype(std::strlen(name)) + 2;
        if (type == DT_UNKNOWN) {
            struct stat st = {};
            if (fstatat(m_fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISLNK(st.st_mode) ? DT_LNK : DT_REG;
        }
        const bool temporary = name[0] == '.'; // no other dot name is listed
        m_entry.root = &m_root;
        m_entry.dirRelPath = &level.relPath;
        m_entry.dirFd = m_fd;
        m_entry.name = name;
        m_entry.isDir = type == DT_DIR;
        m_entry.isSymLink = type == DT_LNK;
        m_entry.isTemporary = temporary;
        m_descend = !temporary;
        return true;
    }
    return false;
}
