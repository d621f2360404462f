// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "proxy_url.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {

bool needsEscape(QChar c)
{
    static const QString delimiters = QStringLiteral("@:/?#%");
    return delimiters.contains(c) || c.isSpace() || c.category() == QChar::Other_Control;
}

} // namespace

QString escapeProxyCredential(const QString &text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        if (!needsEscape(c)) {
            escaped.append(c);
            continue;
        }
        for (const char byte : QString(c).toUtf8())
            escaped.append(
                QStringLiteral("%%1").arg(uchar(byte), 2, 16, QLatin1Char('0')).toUpper());
    }
    return escaped;
}

namespace {

QString maskPassword(const QString &url)
{
    const int authority = url.indexOf(QLatin1String("://"));
    if (authority < 0)
        return url;
    const int at = url.lastIndexOf(QLatin1Char('@'));
    const int colon = url.indexOf(QLatin1Char(':'), authority + 3);
    if (at < 0 || colon < 0 || colon > at)
        return url; // no password
    return url.left(colon + 1) + QLatin1String("***") + url.mid(at);
}

} // namespace

QString maskProxyPasswords(const QString &environmentJson)
{
    QJsonObject environment = QJsonDocument::fromJson(environmentJson.toUtf8()).object();
    for (auto it = environment.begin(); it != environment.end(); ++it)
        it.value() = maskPassword(it.value().toString());
    return QString::fromUtf8(QJsonDocument(environment).toJson(QJsonDocument::Compact));
}
