// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "notification_delivery.h"

#include <QDBusPendingCallWatcher>
#include <QLoggingCategory>

#include <utility>

namespace Vmo {
namespace Core {
namespace VUtil {

namespace {

const QString kBusService = QStringLiteral("org.freedesktop.DBus");

Q_LOGGING_CATEGORY(logNotifications, "vmocore.notifications")

// Whether the bus itself refused the call because no one owns the name and
// no server could be started for it: then no server saw the notification,
// and sending it again later shows it once.
bool refusedForWantOfAServer(const QDBusMessage &reply)
{
    if (reply.type() != QDBusMessage::ErrorMessage || reply.service() != kBusService)
        return false;
    const QString error = reply.errorName();
    return error == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown") ||
           error == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner") ||
           error.startsWith(QLatin1String("org.freedesktop.DBus.Error.Spawn."));
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
    , m_owner(QStringLiteral("org.freedesktop.Notifications"), bus,
              QDBusServiceWatcher::WatchForOwnerChange)
{
    connect(&m_owner, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString &, const QString &, const QString &newOwner) {
                onOwnerChanged(newOwner);
            });
    m_expiry.setSingleShot(true);
    connect(&m_expiry, &QTimer::timeout, this, &NotificationDelivery::dropExpired);
}

QDBusPendingCall NotificationDelivery::send(const QDBusMessage &notify)
{
    return attempt(m_sent++, Notice{notify, QDeadlineTimer(m_maxAge)});
}

QDBusPendingCall NotificationDelivery::attempt(quint64 order, const Notice &notice)
{
    const QDBusPendingCall call = m_bus.asyncCall(notice.message);
    auto *watcher = new QDBusPendingCallWatcher(call, this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, order, notice](QDBusPendingCallWatcher *finished) {
                settle(finished, order, notice);
            });
    return call;
}

void NotificationDelivery::settle(QDBusPendingCallWatcher *call, quint64 order,
                                  const Notice &notice)
{
    call->deleteLater();
    // Any other answer came from a server, or may have: never sent again.
    if (refusedForWantOfAServer(call->reply()))
        hold(order, notice);
}

void NotificationDelivery::hold(quint64 order, const Notice &notice)
{
    // A server took the name while the call was on its way.
    if (!m_currentOwner.isEmpty()) {
        attempt(order, notice);
        return;
    }
    if (notice.deadline.hasExpired()) {
        drop(notice, "Notification dropped, held too long without a notification server:");
        return;
    }
    m_held.insert(order, notice);
    if (m_held.size() > m_maxHeld) {
        drop(m_held.first(), "Notification dropped, too many held without a notification server:");
        m_held.erase(m_held.begin());
    }
    // The first held is the oldest, and so the first to expire.
    m_expiry.start(int(m_held.first().deadline.remainingTime()));
}

void NotificationDelivery::drop(const Notice &notice, const char *reason)
{
    qCWarning(logNotifications) << reason << notice.message.arguments().value(3).toString();
}

void NotificationDelivery::dropExpired()
{
    while (!m_held.isEmpty() && m_held.first().deadline.hasExpired()) {
        drop(m_held.first(), "Notification dropped, held too long without a notification server:");
        m_held.erase(m_held.begin());
    }
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
    const QMap<quint64, Notice> held = std::exchange(m_held, {});
    for (auto it = held.cbegin(); it != held.cend(); ++it)
        attempt(it.key(), it.value());
}

} // namespace VUtil
} // namespace Core
} // namespace Vmo
