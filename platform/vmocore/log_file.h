// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include <QByteArray>

#include <memory>

namespace Vmo {
namespace Core {

// An append-only log file, readable by its owner only, that is rotated once
// it would grow beyond a size: it is renamed to "<path>.1" (replacing the
// older one) and a new file is begun.
class LogFile
{
public:
    // Creates the missing folders of the path (0700) and opens the file
    // (0600); null, with errno set, when that fails.
    static std::unique_ptr<LogFile> open(const QByteArray &path, qint64 maxSize);
    ~LogFile();
    LogFile(const LogFile &) = delete;
    LogFile &operator=(const LogFile &) = delete;

    void write(const QByteArray &line);

private:
    LogFile(const QByteArray &path, qint64 maxSize, int fd);
    void rotate();

    QByteArray m_path;
    qint64 m_maxSize;
    int m_fd;
};

} // namespace Core
} // namespace Vmo
