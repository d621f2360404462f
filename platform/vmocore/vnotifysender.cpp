// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "vnotifysender.h"

#include "notification_delivery.h"

#include <QDBusMessage>

namespace Vmo {
namespace Core {
namespace VUtil {

VNotifySender::VNotifySender(const QString &summary)
    : m_summary(summary)
{}

VNotifySender VNotifySender::appName(const QString &name)
{
    m_appName = name;
    return *this;
}

VNotifySender VNotifySender::replaceId(unsigned int id)
{
    m_replaceId = id;
    return *this;
}

VNotifySender VNotifySender::appIcon(const QString &icon)
{
    m_appIcon = icon;
    return *this;
}

VNotifySender VNotifySender::appBody(const QString &body)
{
    m_body = body;
    return *this;
}

VNotifySender VNotifySender::actions(const QStringList &actions)
{
    m_actions = actions;
    return *this;
}

VNotifySender VNotifySender::hints(const QMap<QString, QVariant> &hints)
{
    m_hints = hints;
    return *this;
}

VNotifySender VNotifySender::timeOut(int milliseconds)
{
    m_timeOut = milliseconds;
    return *this;
}

QDBusPendingCall VNotifySender::call() const
{
    QDBusMessage message = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    // susssasa{sv}i, in the order of the Desktop Notifications Specification.
    message << m_appName << m_replaceId << m_appIcon << m_summary << m_body << m_actions << m_hints
            << m_timeOut;
    return NotificationDelivery::instance()->send(message);
}

} // namespace VUtil
} // namespace Core
} // namespace Vmo
