// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "notification_delivery.h"

#include <QDBusError>
#include <QDBusPendingCallWatcher>
#include <QLoggingCategory>

#include <algorithm>
#include <utility>

#include <malloc.h>

namespace Vmo {
namespace Core {
namespace VUtil {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");

Q_LOGGING_CATEGORY(logNotifications, "vmocore.notifications")

// Longer than any queue of notifications that come one by one.
constexpr qsizetype kLongQueue = 64;

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
    m_expiry.setSingleShot(true);
    connect(&m_expiry, &QTimer::timeout, this, &NotificationDelivery::dropOverdue);
}

QDBusPendingCall NotificationDelivery::send(const QDBusMessage &notify)
{
    m_queue.append({notify, QDeadlineTimer(m_maxAge)});
    m_longestQueue = std::max(m_longestQueue, qsizetype(m_queue.size()));
    if (m_queue.size() == 1)
        return sendFirst();
    if (m_held)
        dropOverdue();
    return QDBusPendingCall::fromCompletedCall(QDBusMessage());
}

QDBusPendingCall NotificationDelivery::sendFirst()
{
    const QDBusPendingCall call = m_bus.asyncCall(m_queue.first().message);
    // One watcher at a time, for the one call on its way.
    auto *watcher = new QDBusPendingCallWatcher(call, this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, &NotificationDelivery::onAnswer);
    return call;
}

void NotificationDelivery::onAnswer(QDBusPendingCallWatcher *watcher)
{
    watcher->deleteLater();
    if (watcher->isError() && refusedForWantOfAServer(watcher->error())) {
        Notice &first = m_queue.first();
        // A server took the name while the call was on its way.
        if (!m_currentOwner.isEmpty() && !first.sentAgain) {
            first.sentAgain = true;
            sendFirst();
            return;
        }
        m_held = true;
        dropOverdue();
        return;
    }
    // Shown, or refused by the server itself: done with either way.
    m_queue.removeFirst();
    if (!m_queue.isEmpty()) {
        sendFirst();
        return;
    }
    // A burst leaves thousands of freed messages behind: the memory goes back
    // to the system, as the bridge's slots give back theirs.
    if (std::exchange(m_longestQueue, 0) > kLongQueue)
        malloc_trim(0);
}

void NotificationDelivery::onOwnerChanged(const QString &newOwner)
{
    m_currentOwner = newOwner;
    if (newOwner.isEmpty() || !m_held)
        return;
    m_held = false;
    m_expiry.stop();
    if (m_queue.isEmpty())
        return;
    m_queue.first().sentAgain = false;
    sendFirst();
}

void NotificationDelivery::dropOverdue()
{
    if (!m_held)
        return;
    while (m_queue.size() > m_maxHeld)
        drop(m_queue.takeFirst(),
             "Notification dropped, too many held without a notification server:");
    // The first came first, and so is the first to expire.
    while (!m_queue.isEmpty() && m_queue.first().deadline.hasExpired())
        drop(m_queue.takeFirst(),
             "Notification dropped, held too long without a notification server:");
    if (m_queue.isEmpty()) {
        m_held = false; // the next comes to the bus at once
        return;
    }
    m_expiry.start(int(m_queue.first().deadline.remainingTime()));
}

void NotificationDelivery::drop(const Notice &notice, const char *reason)
{
    qCWarning(logNotifications) << reason << notice.message.arguments().value(3).toString();
}

} // namespace VUtil
} // namespace Core
} // namespace Vmo
