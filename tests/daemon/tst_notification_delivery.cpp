// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// The delivery of notifications in this process, against the notification
// server peer on the private session bus: what it does with a notification
// held too long, and with a server that the bus can start.

#include "log_capture.h"
#include "notification_delivery.h"
#include "session_processes.h"
#include "test_main.h"

#include <QDBusConnectionInterface>
#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>

#include <csignal>

using Vmo::Core::VUtil::NotificationDelivery;

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");

QDBusMessage notify(const QString &summary)
{
    QDBusMessage message =
        QDBusMessage::createMethodCall(kService, QStringLiteral("/org/freedesktop/Notifications"),
                                       kService, QStringLiteral("Notify"));
    message << QStringLiteral("test") << 0U << QString() << summary << QString() << QStringList()
            << QVariantMap() << -1;
    return message;
}

QStringList summaries(const QList<QJsonObject> &calls)
{
    QStringList result;
    for (const QJsonObject &call : calls)
        result << call.value(QLatin1String("args")).toArray().at(3).toString();
    return result;
}

} // namespace

class TestNotificationDelivery : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Held past its time while no server ran: dropped with one warning, and
    // not shown when a server comes.
    void dropsWhatWasHeldTooLong()
    {
        LogCapture log;
        NotificationDelivery delivery(QDBusConnection::sessionBus(), 32, std::chrono::seconds(1));
        delivery.send(notify(QStringLiteral("late")));
        QTRY_COMPARE_WITH_TIMEOUT(log.linesOf("vmocore.notifications"),
                                  QStringList{"warning|Notification dropped, held too long without "
                                              "a notification server: \"late\""},
                                  10000);
        Peer server;
        QVERIFY(server.start(QStringLiteral(NOTIFICATION_PEER_PATH)));
        delivery.send(notify(QStringLiteral("now")));
        QTRY_COMPARE(server.calls(QStringLiteral("Notify")).size(), 1);
        QTest::qWait(300);
        QCOMPARE(summaries(server.calls(QStringLiteral("Notify"))), QStringList{"now"});
    }

    // Where the bus can start a server, it starts one for the notification.
    void letsTheBusStartAServer()
    {
        QTemporaryDir dir;
        const QString record = dir.filePath(QStringLiteral("record"));
        const QString serviceFile = qEnvironmentVariable("XDG_DATA_HOME") +
                                    QStringLiteral("/dbus-1/services/%1.service").arg(kService);
        QFile service(serviceFile);
        QVERIFY(service.open(QIODevice::WriteOnly));
        service.write(
            QStringLiteral("[D-BUS Service]\nName=%1\nExec=/bin/sh -c \"exec '%2' > '%3'\"\n")
                .arg(kService, QStringLiteral(NOTIFICATION_PEER_PATH), record)
                .toUtf8());
        service.close();

        NotificationDelivery delivery(QDBusConnection::sessionBus(), 32, std::chrono::minutes(30));
        delivery.send(notify(QStringLiteral("started")));
        const auto recorded = [&record] {
            QFile file(record);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        QTRY_VERIFY_WITH_TIMEOUT(recorded().contains("\"started\""), 10000);
        QFile::remove(serviceFile);
        QDBusConnectionInterface *bus = QDBusConnection::sessionBus().interface();
        kill(pid_t(bus->servicePid(kService).value()), SIGTERM);
        QTRY_VERIFY(!bus->isServiceRegistered(kService));
    }
};

PRIVATE_DESKTOP_TEST_MAIN(TestNotificationDelivery)
#include "tst_notification_delivery.moc"
