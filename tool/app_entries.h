#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>

// The info objects of the applications installed under /opt/apps, in the
// case-insensitive order of their directory names.
QList<QJsonObject> enumAppInfoList();

// Links the entries of one application into the system directories.
void linkAppEntries(const QJsonObject &info);

// Whether appId names exactly one directory below /opt/apps: not empty, not
// "." or "..", and free of slashes and control characters.
bool isSafeAppId(const QString &appId);
