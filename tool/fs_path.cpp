// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "fs_path.h"

#include <QList>

#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

QByteArray absoluteCleanPath(const QByteArray &path)
{
    QByteArray full = path;
    if (!full.startsWith('/')) {
        char cwd[PATH_MAX];
        full = joinPath(getcwd(cwd, sizeof cwd) ? QByteArray(cwd) : QByteArray("/"), path);
    }
    QList<QByteArray> parts;
    for (const QByteArray &part : full.split('/')) {
        if (part.isEmpty() || part == ".")
            continue;
        if (part == "..") {
            if (!parts.isEmpty())
                parts.removeLast();
            continue;
        }
        parts.append(part);
    }
    QByteArray clean;
    for (const QByteArray &part : parts)
        clean += '/' + part;
    return clean.isEmpty() ? QByteArray("/") : clean;
}

QByteArray parentPath(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash <= 0)
        return slash == 0 ? QByteArray("/") : QByteArray(".");
    return path.left(slash);
}

QByteArray joinPath(const QByteArray &dir, const QByteArray &rel)
{
    if (dir.endsWith('/'))
        return dir + rel;
    return dir + '/' + rel;
}

QByteArray absoluteLinkTarget(const QByteArray &linkPath)
{
    char buffer[PATH_MAX];
    const ssize_t length = readlink(linkPath.constData(), buffer, sizeof buffer);
    if (length <= 0 || length == ssize_t(sizeof buffer))
        return QByteArray();
    const QByteArray content(buffer, length);
    if (content.startsWith('/'))
        return absoluteCleanPath(content);
    return absoluteCleanPath(joinPath(parentPath(linkPath), content));
}

bool existsFollowingLinks(const QByteArray &path)
{
    struct stat st = {};
    return stat(path.constData(), &st) == 0;
}

bool isDirectory(const QByteArray &path)
{
    struct stat st = {};
    return stat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isSymLink(const QByteArray &path)
{
    struct stat st = {};
    return lstat(path.constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool isSameFile(const QByteArray &a, const QByteArray &b)
{
    struct stat first = {};
    struct stat second = {};
    return stat(a.constData(), &first) == 0 && stat(b.constData(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}
