// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QRegularExpression>
#include <QString>

// The introspection data of one interface of an object, or empty.
inline QString introspectInterface(const QDBusConnection &bus, const QString &service,
                                   const QString &path, const QString &interface)
{
    const QDBusMessage reply = bus.call(QDBusMessage::createMethodCall(
        service, path, QStringLiteral("org.freedesktop.DBus.Introspectable"),
        QStringLiteral("Introspect")));
    if (reply.type() != QDBusMessage::ReplyMessage)
        return QString();
    const QRegularExpression block(QStringLiteral("<interface name=\"%1\">(.*?)</interface>")
                                       .arg(QRegularExpression::escape(interface)),
                                   QRegularExpression::DotMatchesEverythingOption);
    return block.match(reply.arguments().constFirst().toString()).captured(1).simplified();
}

inline bool callInstance(const QDBusConnection &bus, const QString &service)
{
    return bus.call(QDBusMessage::createMethodCall(
                        service, QStringLiteral("/com/ostrel/appstore/daemon"),
                        QStringLiteral("com.ostrel.appstore.daemon"), QStringLiteral("Instance")))
               .type() == QDBusMessage::ReplyMessage;
}

// The payload sent for an environment without any proxy.
inline QString nonePayload()
{
    return QStringLiteral("{\"SOCKS_SERVER\":\"\",\"all_proxy\":\"\",\"auto_proxy\":\"\","
                          "\"ftp_proxy\":\"\",\"http_proxy\":\"\",\"https_proxy\":\"\","
                          "\"no_proxy\":\"\"}");
}
