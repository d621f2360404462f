// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusServiceWatcher>
#include <QDeadlineTimer>
#include <QList>
#include <QObject>
#include <QTimer>

#include <chrono>

class QDBusError;

namespace Vmo {
namespace Core {
namespace VUtil {

// Sends the Notify calls of one bus connection to "org.freedesktop.Notifications"
// without waiting. A call that the bus refuses because no one owns the name
// (and no server could be started for it) is held; when a server takes the
// name, the held calls are sent again, in the order they were first sent,
// each once. Watching the name's owner is a match rule on the bus: nothing
// polls and nothing blocks. At most maxHeld calls are held, each for at most
// maxAge; one that is dropped is logged as a warning. A call costs nothing
// beyond Qt's own pending call: refusals are told by the connection.
class NotificationDelivery : public QObject
{
    Q_OBJECT

public:
    // The session bus's, holding up to 32 notifications for 30 minutes each;
    // made on first use, on the thread that runs the event loop.
    static NotificationDelivery *instance();

    NotificationDelivery(const QDBusConnection &bus, int maxHeld, std::chrono::milliseconds maxAge,
                         QObject *parent = nullptr);

    QDBusPendingCall send(const QDBusMessage &notify);

private:
    struct Notice
    {
        QDBusMessage message;
        QDeadlineTimer deadline;
    };

    void onCallFailed(const QDBusError &error, const QDBusMessage &call);
    void hold(const Notice &notice);
    void drop(const Notice &notice, const char *reason);
    void dropExpired();
    void onOwnerChanged(const QString &newOwner);

    QDBusConnection m_bus;
    const int m_maxHeld;
    const std::chrono::milliseconds m_maxAge;
    QDBusServiceWatcher m_owner;
    // The name's owner as its last change told; empty while there is none.
    QString m_currentOwner;
    // Held, oldest first.
    QList<Notice> m_held;
    // Sent again while the current owner has the name: one refused once
    // more is held until the next owner, not sent again at once.
    QList<Notice> m_resent;
    QTimer m_expiry;
};

} // namespace VUtil
} // namespace Core
} // namespace Vmo
