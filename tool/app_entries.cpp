// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "app_entries.h"

#include "link_dir.h"
#include "multiarch.h"
#include "path_component.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonParseError>

namespace {

const QString kAppsRoot = QStringLiteral("/opt/apps");

struct LinkRow
{
    const char *source;
    const char *target;
};

// Entries that are always linked; a target without a slash lives in /usr/share.
constexpr LinkRow kSharedRows[] = {
    {"GConf", "GConf"},
    {"applications", "applications"},
    {"doc", "doc"},
    {"fcitx", "fcitx"},
    {"fonts/files", "fonts"},
    {"fonts/conf", "/etc/fonts/conf.d"},
    {"glib-2.0", "glib-2.0"},
    {"help", "help"},
    {"icons", "icons"},
    {"locale", "locale"},
    {"mime", "mime"},
    {"polkit", "polkit-1"},
    {"services", "dbus-1/services"},
};

// Entries linked only with the autostart permission, and only where the
// application has a plugins directory.
constexpr char kAutostart[] = "autostart";
constexpr char kFcitxPlugins[] = "plugins/fcitx";
constexpr char kBrowserPlugins[] = "plugins/browser";

QString entriesRoot(const QJsonObject &info)
{
    return kAppsRoot + QLatin1Char('/') + info.value(QLatin1String("appid")).toString() +
           QLatin1String("/entries");
}

bool mayAutostart(const QJsonObject &info)
{
    return info.value(QLatin1String("permissions"))
        .toObject()
        .value(QLatin1String("autostart"))
        .toBool(false);
}

} // namespace

QList<QJsonObject> enumAppInfoList()
{
    QList<QJsonObject> infos;
    const QDir appsDir(kAppsRoot);
    for (const QString &name : appsDir.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString infoPath = QDir(appsDir.filePath(name)).filePath(QStringLiteral("info"));
        QFile file(infoPath);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray content = file.readAll();
        file.close();

        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(content, &error);
        if (error.error != QJsonParseError::NoError || !document.isObject()) {
            qDebug() << "parse info failed:" << infoPath;
            continue;
        }
        // The info comes from a package; its appid decides where a root process
        // reads from, so it must not reach outside /opt/apps/<appid>/entries.
        const QString appId = document.object().value(QLatin1String("appid")).toString();
        if (!isSinglePathComponent(appId)) {
            qDebug() << "invalid appid:" << appId << "in" << infoPath;
            continue;
        }
        infos.append(document.object());
    }
    return infos;
}

RunApps runApps(const QList<QJsonObject> &infos)
{
    RunApps run;
    for (const QJsonObject &info : infos) {
        RunApp app{QFile::encodeName(entriesRoot(info)), {}};
        const auto add = [&](const char *sub) {
            app.linkedDirs.append(app.entriesRoot + '/' + sub);
        };
        if (mayAutostart(info))
            add(kAutostart);
        for (const LinkRow &row : kSharedRows)
            add(row.source);
        // Without a plugins directory nothing exists below these to be linked.
        for (const char *sub : {kFcitxPlugins, kBrowserPlugins})
            add(sub);
        run.apps.append(app);
    }
    return run;
}

void linkAppEntries(const QJsonObject &info, const RunApps &run)
{
    const QString root = entriesRoot(info);
    const auto source = [&](const char *sub) { return root + QLatin1Char('/') + sub; };

    if (mayAutostart(info))
        linkDir(source(kAutostart), QStringLiteral("/etc/xdg/autostart"), run);

    const QDir share(QStringLiteral("/usr/share"));
    for (const LinkRow &row : kSharedRows)
        linkDir(source(row.source), share.filePath(QString::fromLatin1(row.target)), run);

    if (QFileInfo::exists(source("plugins"))) {
        const QString triplet = getMultiarchTriplet();
        linkDir(source(kFcitxPlugins),
                QLatin1String("/usr/lib/") + triplet + QLatin1String("/fcitx"), run);
        linkDir(source(kBrowserPlugins), QStringLiteral("/usr/lib/mozilla/plugins"), run);
    }
}
