// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "isolated_icons.h"

#include "fs_path.h"
#include "fs_walk.h"
#include "place_link.h"
#include "trusted_target.h"

#include <QDebug>
#include <QFile>
#include <QStringList>

#include <sys/stat.h>

namespace {

const QByteArray kIconsDir = QByteArrayLiteral("/usr/share/icons");
const QByteArray kThemeAppsDir = QByteArrayLiteral("/usr/share/icons/hicolor/scalable/apps");

bool hasIconSuffix(const QByteArray &name)
{
    static const QStringList suffixes = {QStringLiteral("png"), QStringLiteral("svg"),
                                         QStringLiteral("xpm")};
    const qsizetype dot = name.lastIndexOf('.');
    return dot >= 0 && suffixes.contains(QFile::decodeName(name.mid(dot + 1)).toLower());
}

} // namespace

void linkIsolatedIcons()
{
    // The theme directory lies below a linked tree: it may be a link into an
    // application, which is never written to.
    const bool trusted = isTrustedTarget(kThemeAppsDir);
    for (TreeWalker walker(kIconsDir, TreeWalker::TopLevelOnly); walker.next();) {
        const WalkEntry &entry = walker.entry();
        struct stat st = {};
        if (entry.isDir || fstatat(entry.dirFd, entry.name, &st, 0) != 0 || !S_ISREG(st.st_mode))
            continue;
        if (!hasIconSuffix(entry.relPath))
            continue;
        // An icon placed here as a link is linked straight to the file it names.
        const QByteArray source = entry.isSymLink ? absoluteLinkTarget(entry.path) : entry.path;
        const QByteArray target = joinPath(kThemeAppsDir, entry.relPath);
        if (!trusted || !placeLink(source, target))
            qDebug() << "link failed:" << QFile::decodeName(source) << "=>"
                     << QFile::decodeName(target);
    }
}
