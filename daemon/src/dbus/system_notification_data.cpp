// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "system_notification_data.h"

#include <QJsonDocument>
#include <QJsonObject>

bool _System_Notification_Data::fromJsonString(const QString &noticeJsonStr)
{
    if (noticeJsonStr.isEmpty())
        return false;
    QByteArray bytes = noticeJsonStr.toUtf8();
    const int nul = bytes.indexOf('\0');
    if (nul >= 0)
        bytes.truncate(nul);
    const QJsonDocument document = QJsonDocument::fromJson(bytes);
    if (!document.isObject())
        return false;

    const QJsonObject notice = document.object();
    if (notice.contains(QLatin1String("opt")))
        opt = E_OptStatus(notice.value(QLatin1String("opt")).toInt(0));
    if (notice.contains(QLatin1String("appName")))
        appName = notice.value(QLatin1String("appName")).toString();
    if (notice.contains(QLatin1String("packageName")))
        packageName = notice.value(QLatin1String("packageName")).toString();
    if (notice.contains(QLatin1String("logname")))
        logname = notice.value(QLatin1String("logname")).toString();
    return true;
}
