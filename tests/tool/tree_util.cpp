// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "tree_util.h"

#include <QFile>
#include <QProcess>
#include <QTest>

#include <dirent.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

namespace TreeUtil {

void removeTree(const QByteArray &path)
{
    QCOMPARE(
        QProcess::execute(QStringLiteral("rm"), {QStringLiteral("-rf"), QFile::decodeName(path)}),
        0);
}

void makeLink(const QByteArray &target, const QByteArray &path)
{
    makeDir(path.left(path.lastIndexOf('/')));
    QVERIFY2(symlink(target.constData(), path.constData()) == 0, path.constData());
}

QByteArray readLink(const QByteArray &path)
{
    char buffer[PATH_MAX];
    const ssize_t length = readlink(path.constData(), buffer, sizeof buffer);
    return length > 0 ? QByteArray(buffer, length) : QByteArray();
}

bool isLink(const QByteArray &path)
{
    struct stat st = {};
    return lstat(path.constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool lexists(const QByteArray &path)
{
    struct stat st = {};
    return lstat(path.constData(), &st) == 0;
}

unsigned long inode(const QByteArray &path)
{
    struct stat st = {};
    return lstat(path.constData(), &st) == 0 ? st.st_ino : 0;
}

namespace {

void collect(const QByteArray &root, const QByteArray &rel, QMap<QByteArray, QByteArray> &result)
{
    DIR *dir = opendir((rel.isEmpty() ? root : root + '/' + rel).constData());
    if (!dir)
        return;
    while (const dirent *ent = readdir(dir)) {
        const QByteArray name(ent->d_name);
        if (name == "." || name == "..")
            continue;
        const QByteArray childRel = rel.isEmpty() ? name : rel + '/' + name;
        const QByteArray path = root + '/' + childRel;
        struct stat st = {};
        if (lstat(path.constData(), &st) != 0)
            continue;
        if (S_ISLNK(st.st_mode)) {
            result.insert(childRel, "-> " + readLink(path));
        } else if (S_ISDIR(st.st_mode)) {
            result.insert(childRel, "dir");
            collect(root, childRel, result);
        } else {
            result.insert(childRel, S_ISREG(st.st_mode) ? "file" : "fifo");
        }
    }
    closedir(dir);
}

} // namespace

QMap<QByteArray, QByteArray> snapshot(const QByteArray &root)
{
    QMap<QByteArray, QByteArray> result;
    collect(root, QByteArray(), result);
    return result;
}

} // namespace TreeUtil
