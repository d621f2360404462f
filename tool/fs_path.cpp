// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "fs_path.h"

#include <QList>

#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Whether path is absolute and already free of ".", ".." and repeated or
// trailing slashes, as nearly every path the linker meets is.
bool isClean(const QByteArray &path)
{
    if (!path.startsWith('/') || (path.size() > 1 && path.endsWith('/')))
        return false;
    for (qsizetype at = path.indexOf('/'); at != -1; at = path.indexOf('/', at + 1)) {
        const char *name = path.constData() + at + 1;
        if (name[0] == '/' || (name[0] == '.' && (name[1] == '/' || name[1] == '\0')) ||
            (name[0] == '.' && name[1] == '.' && (name[2] == '/' || name[2] == '\0')))
            return false;
    }
    return true;
}

} // namespace

QByteArray absoluteCleanPath(const QByteArray &path)
{
    if (isClean(path))
        return path;
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

QByteArray baseName(const QByteArray &path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

bool isAtOrBelow(const QByteArray &path, const QByteArray &dir)
{
    if (dir == "/")
        return path.startsWith('/');
    return !dir.isEmpty() && path.startsWith(dir) &&
           (path.size() == dir.size() || path.at(dir.size()) == '/');
}

QByteArray joinPath(const QByteArray &dir, const QByteArray &rel)
{
    if (dir.endsWith('/'))
        return dir + rel;
    return dir + '/' + rel;
}

QByteArray absoluteLinkTarget(const QByteArray &linkPath)
{
    const QByteArray content = readLinkContent(linkPath);
    return content.isEmpty() ? QByteArray() : resolveLinkContent(linkPath, content);
}

QByteArray resolveLinkContent(const QByteArray &linkPath, const QByteArray &content)
{
    if (content.startsWith('/'))
        return absoluteCleanPath(content);
    return absoluteCleanPath(joinPath(parentPath(linkPath), content));
}

QByteArray realPath(const QByteArray &path)
{
    char buffer[PATH_MAX];
    return realpath(path.constData(), buffer) ? QByteArray(buffer) : QByteArray();
}

QByteArray readLinkContent(const QByteArray &linkPath)
{
    char buffer[PATH_MAX];
    const ssize_t length = readlink(linkPath.constData(), buffer, sizeof buffer);
    if (length <= 0 || length == ssize_t(sizeof buffer))
        return QByteArray();
    return QByteArray(buffer, length);
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
