// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "log_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Vmo {
namespace Core {

namespace {

bool makeFolders(const QByteArray &path)
{
    for (int slash = path.indexOf('/', 1); slash > 0; slash = path.indexOf('/', slash + 1)) {
        if (mkdir(path.left(slash).constData(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    return true;
}

int openFile(const QByteArray &path)
{
    const int fd =
        ::open(path.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    // A file that was there before may have been readable by others.
    if (fd >= 0)
        fchmod(fd, 0600);
    return fd;
}

} // namespace

std::unique_ptr<LogFile> LogFile::open(const QByteArray &path, qint64 maxSize)
{
    if (!makeFolders(path))
        return nullptr;
    const int fd = openFile(path);
    if (fd < 0)
        return nullptr;
    return std::unique_ptr<LogFile>(new LogFile(path, maxSize, fd));
}

LogFile::LogFile(const QByteArray &path, qint64 maxSize, int fd)
    : m_path(path)
    , m_maxSize(maxSize)
    , m_fd(fd)
{}

LogFile::~LogFile()
{
    if (m_fd >= 0)
        close(m_fd);
}

void LogFile::write(const QByteArray &line)
{
    // The size on disk: other processes may append to the same file.
    struct stat status = {};
    if (m_fd >= 0 && fstat(m_fd, &status) == 0 && status.st_size > 0 &&
        status.st_size + line.size() > m_maxSize)
        rotate();
    if (m_fd >= 0)
        (void)!::write(m_fd, line.constData(), size_t(line.size()));
}

void LogFile::rotate()
{
    // Where the file cannot be moved aside, it goes on growing rather than
    // losing what it holds.
    if (rename(m_path.constData(), (m_path + ".1").constData()) != 0)
        return;
    close(m_fd);
    m_fd = openFile(m_path);
}

} // namespace Core
} // namespace Vmo
