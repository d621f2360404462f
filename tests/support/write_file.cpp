// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "write_file.h"

#include <QFile>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool failed(const char *what, const QByteArray &path)
{
    if (QTest::currentTestFunction()) {
        const QByteArray message = what + (": " + path);
        QTest::qFail(message.constData(), __FILE__, __LINE__);
    }
    return false;
}

} // namespace

bool makeDirs(const QByteArray &path)
{
    for (auto slash = path.indexOf('/', 1); slash != -1; slash = path.indexOf('/', slash + 1))
        mkdir(path.left(slash).constData(), 0755);
    if (mkdir(path.constData(), 0755) != 0 && errno != EEXIST)
        return failed("cannot make the directory", path);
    return true;
}

bool writeFile(const QByteArray &path, const QByteArray &content)
{
    const auto slash = path.lastIndexOf('/');
    if (slash > 0 && !makeDirs(path.left(slash)))
        return false;
    const int fd = open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return failed("cannot create", path);
    const bool written = write(fd, content.constData(), content.size()) == content.size();
    close(fd);
    return written || failed("cannot write", path);
}

bool writeFile(const QString &path, const QByteArray &content)
{
    return writeFile(QFile::encodeName(path), content);
}
