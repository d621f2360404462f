// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "clean_link.h"

#include "fs_path.h"
#include "fs_walk.h"
#include "multiarch.h"
#include "temporary.h"
#include "trusted_target.h"

#include <QDebug>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A link whose chain of targets ends nowhere (or loops) points at nothing.
bool isDangling(const WalkEntry &entry)
{
    struct stat st = {};
    if (fstatat(entry.dirFd, entry.name, &st, 0) == 0)
        return false;
    return errno == ENOENT || errno == ENOTDIR || errno == ELOOP;
}

} // namespace

QList<QByteArray> removeDeadLinks(const QByteArray &dir)
{
    QList<QByteArray> failed;
    for (TreeWalker walker(absoluteCleanPath(dir), TreeWalker::Recursive,
                           TreeWalker::ListTemporaries);
         walker.next();) {
        const WalkEntry &entry = walker.entry();
        // Only one run at a time, so a temporary met here is an interrupted run's.
        if (entry.isTemporary) {
            if (!removeTemporary(entry.dirFd, entry.name))
                failed.append(entry.path);
        } else if (entry.isSymLink && isDangling(entry) &&
                   unlinkat(entry.dirFd, entry.name, 0) != 0) {
            failed.append(entry.path);
        }
    }
    return failed;
}

void cleanLink()
{
    const auto scan = [](const QString &dir) {
        // Links elsewhere are not the linker's to clean.
        if (!isTrustedTarget(QFile::encodeName(dir)))
            return;
        for (const QByteArray &path : removeDeadLinks(QFile::encodeName(dir)))
            qDebug() << "remove dead link failed:" << QFile::decodeName(path);
    };

    const QDir share(QStringLiteral("/usr/share"));
    for (const char *name : {"GConf", "applications", "dbus-1/services", "doc", "fcitx", "fonts",
                             "glib-2.0", "help", "icons", "locale", "mime", "polkit-1"})
        scan(share.filePath(QString::fromLatin1(name)));
    scan(QStringLiteral("/etc/fonts/conf.d"));
    scan(QStringLiteral("/etc/xdg/autostart"));
    scan(QStringLiteral("/usr/lib/mozilla/plugins"));
    scan(QLatin1String("/usr/lib/") + getMultiarchTriplet() + QLatin1String("/fcitx"));
}
