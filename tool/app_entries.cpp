// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "app_entries.h"

#include "fs_path.h"
#include "link_dir.h"
#include "path_component.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonParseError>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool mayAutostart(const QJsonObject &info)
{
    return info.value(QLatin1String("permissions"))
        .toObject()
        .value(QLatin1String("autostart"))
        .toBool(false);
}

bool applies(const LinkRow &row, const QJsonObject &info, const QByteArray &entriesRoot)
{
    switch (row.condition) {
    case RowCondition::Always:
        return true;
    case RowCondition::Autostart:
        return mayAutostart(info);
    case RowCondition::Plugins:
        return existsFollowingLinks(entriesRoot + "/plugins");
    }
    return false;
}

// Reads the info at path, which must be a regular file: reading a FIFO or a
// device there would hold the run, and the run lock, for ever.
bool readInfo(const QString &path, QByteArray *content)
{
    const int fd = open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st = {};
    QFile file;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        close(fd);
        return false;
    }
    *content = file.readAll();
    return true;
}

} // namespace

QList<QJsonObject> enumAppInfoList()
{
    QList<QJsonObject> infos;
    const QDir appsDir(QString::fromLatin1(kAppsRoot));
    for (const QString &name : appsDir.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString infoPath = QDir(appsDir.filePath(name)).filePath(QStringLiteral("info"));
        QByteArray content;
        if (!readInfo(infoPath, &content))
            continue;

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

RunApps runApps(const QList<QJsonObject> &infos, const QList<LinkRow> &table)
{
    RunApps run;
    for (const QJsonObject &info : infos) {
        RunApp app;
        app.entriesRoot = QByteArray(kAppsRoot) + '/' +
                          QFile::encodeName(info.value(QLatin1String("appid")).toString()) +
                          "/entries";
        for (const LinkRow &row : table) {
            if (applies(row, info, app.entriesRoot))
                app.rows.append({app.entriesRoot + '/' + row.source, row.target, row.subdirs});
        }
        run.add(app);
    }
    return run;
}

void linkAppEntries(const RunApp &app, RunState &run)
{
    for (const AppRow &row : app.rows)
        linkDir(row.source, row.target, row.subdirs, run);
}
