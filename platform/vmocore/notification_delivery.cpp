// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "notification_delivery.h"

#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QLoggingCategory>

#include <algorithm>
#include <utility>

namespace Vmo {
namespace Core {
namespace VUtil {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");

Q_LOGGING_CATEGORY(logNotifications, "vmocore.notifications")

// Whether the bus refused the call because no one owns the name and no
// server could be started for it: then no server saw the notification, and
// sending it again later shows it once.
bool refusedForWantOfAServer(const QDBusError &error)
{
    const QString name = error.name();
    return name == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown") ||
           name == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner") ||
           name.startsWith(QLatin1String("org.freedesktop.DBus.Error.Spawn."));
}

} // namespace

NotificationDelivery *NotificationDelivery::instance()
{
    // Lives until the process ends, like the notifications it may hold.
    static NotificationDelivery *const delivery =
        new NotificationDelivery(QDBusConnection::sessionBus(), 32, std::chrono::minutes(30));
    return delivery;
}

NotificationDelivery::NotificationDelivery(const QDBusConnection &bus, int maxHeld,
                                           std::chrono::milliseconds maxAge, QObject *parent)
    : QObject(parent)
    , m_bus(bus)
    , m_maxHeld(maxHeld)
    , m_maxAge(maxAge)
    // Its match rule goes out before the first call: no later change of owner is missed.
    , m_owner(kService, bus, QDBusServiceWatcher::WatchForOwnerChange)
{
    connect(&m_owner, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString &, const QString &, const QString &newOwner) {
                onOwnerChanged(newOwner);
            });
    // Every call of the connection that fails is told here, with the call.
    connect(m_bus.interface(), &QDBusConnectionInterface::callWithCallbackFailed, this,
            &NotificationDelivery::onCallFailed);
    m_expiry.setSingleShot(true);
    connect(&m_expiry, &QTimer::timeout, this, &NotificationDelivery::dropExpired);
}

QDBusPendingCall NotificationDelivery::send(const QDBusMessage &notify)
{
    return m_bus.asyncCall(notify);
}

void NotificationDelivery::onCallFailed(const QDBusError &error, const QDBusMessage &call)
{
    if (call.service() != kService || call.member() != QLatin1String("Notify") ||
        !refusedForWantOfAServer(error))
        return;
    const auto resent = std::find_if(m_resent.begin(), m_resent.end(), [&call](const Notice &n) {
        return n.message.arguments() == call.arguments();
    });
    if (resent != m_resent.end()) {
        Notice notice = std::move(*resent);
        m_resent.erase(resent);
        hold(notice);
        return;
    }
    const Notice notice{call, QDeadlineTimer(m_maxAge)};
    if (m_currentOwner.isEmpty()) {
        hold(notice);
        return;
    }
    // A server took the name while the call was on its way.
    if (m_resent.size() == m_maxHeld)
        m_resent.removeFirst();
    m_resent.append(notice);
    m_bus.asyncCall(call);
}

void NotificationDelivery::hold(const Notice &notice)
{
    if (notice.deadline.hasExpired()) {
        drop(notice, "Notification dropped, held too long without a notification server:");
        return;
    }
    m_held.append(notice);
    if (m_held.size() > m_maxHeld)
        drop(m_held.takeFirst(),
             "Notification dropped, too many held without a notification server:");
    // The first held is the oldest, and so the first to expire.
    m_expiry.start(int(m_held.first().deadline.remainingTime()));
}

void NotificationDelivery::drop(const Notice &notice, const char *reason)
{
    qCWarning(logNotifications) << reason << notice.message.arguments().value(3).toString();
}

void NotificationDelivery::dropExpired()
{
    while (!m_held.isEmpty() && m_held.first().deadline.hasExpired())
        drop(m_held.takeFirst(),
             "Notification dropped, held too long without a notification server:");
    if (!m_held.isEmpty())
        m_expiry.start(int(m_held.first().deadline.remainingTime()));
}

void NotificationDelivery::onOwnerChanged(const QString &newOwner)
{
    m_currentOwner = newOwner;
    if (newOwner.isEmpty())
        return;
    dropExpired();
    m_expiry.stop();
    m_resent = std::exchange(m_held, {});
    for (const Notice &notice : qAsConst(m_resent))
        m_bus.asyncCall(notice.message);
}

} // namespace VUtil
} // namespace Core
} // namespace Vmo
