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

class QDBusPendingCallWatcher;

namespace Vmo {
namespace Core {
namespace VUtil {

// Sends the Notify calls of one bus connection to "org.freedesktop.Notifications"
// one after the other, each once its predecessor is answered, so that they
// reach the server in the order they came, and never waits. A call that the
// bus refuses because no one owns the name (and no server could be started
// for it) is held, with all that came after it; when a server takes the
// name, they are sent on, each once. Watching the name's owner is a match
// rule on the bus: nothing polls and nothing blocks. At most maxHeld calls
// are held, each for at most maxAge; one that is dropped is logged as a
// warning.
class NotificationDelivery : public QObject
{
    Q_OBJECT

public:
    // The session bus's, holding up to 32 notifications for 30 minutes each;
    // made on first use, on the thread that runs the event loop.
    static NotificationDelivery *instance();

    NotificationDelivery(const QDBusConnection &bus, int maxHeld, std::chrono::milliseconds maxAge,
                         QObject *parent = nullptr);

    // The pending Notify call; for a notification that waits its turn, a
    // finished call without a reply.
    QDBusPendingCall send(const QDBusMessage &notify);

private:
    struct Notice
    {
        QDBusMessage message;
        QDeadlineTimer deadline;
        bool sentAgain = false; // refused once while a server had the name
    };

    QDBusPendingCall sendFirst();
    void onAnswer(QDBusPendingCallWatcher *watcher);
    void onOwnerChanged(const QString &newOwner);
    // While held: keeps the newest maxHeld, drops those held too long, and
    // times the next expiry.
    void dropOverdue();
    void drop(const Notice &notice, const char *reason);

    QDBusConnection m_bus;
    const int m_maxHeld;
    const std::chrono::milliseconds m_maxAge;
    QDBusServiceWatcher m_owner;
    // The name's owner as its last change told; empty while there is none.
    QString m_currentOwner;
    // Not yet answered, in the order they came; the first is on its way
    // unless held.
    QList<Notice> m_queue;
    bool m_held = false;
    qsizetype m_longestQueue = 0; // since the queue was last empty
    QTimer m_expiry;
};

} // namespace VUtil
} // namespace Core
} // namespace Vmo
