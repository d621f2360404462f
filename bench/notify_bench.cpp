// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// The session host relaying the system daemon's notices to a notification
// server, through the real buses: notices per second against the floor of
// the same buses (the same signals to a receiver that does nothing), and the
// host's memory before and after. Then update announcements on a day already
// notified (two blocking reads each) against one bare round trip.

#include "bench_util.h"
#include "call_record.h"
#include "private_desktop.h"
#include "session_processes.h"
#include "system_files.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDate>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QTest>

#include <cstdio>

namespace {

constexpr int kNotices = 10000;
constexpr int kAnnouncements = 1000;

QDBusMessage daemonCall(const QString &interface, const QString &member,
                        const QVariantList &arguments)
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("com.yarl.appstore.daemon"), QStringLiteral("/appstore"), interface, member);
    call.setArguments(arguments);
    return call;
}

QDBusMessage control(const QString &member, const QVariantList &arguments)
{
    return daemonCall(QStringLiteral("org.ostrel.test.AppstoreDaemon"), member, arguments);
}

// Counts the signals it receives and does nothing else.
class Receiver : public QObject
{
    Q_OBJECT

public:
    int count = 0;
    qint64 last = 0;

public Q_SLOTS:
    void receive(const QString &)
    {
        if (++count == kNotices)
            last = monotonicNanoseconds();
    }
};

// Waits until calls() holds count entries; the monotonic time of the last.
template <typename Calls> double waitForCalls(Calls calls, int count)
{
    QElapsedTimer timeout;
    timeout.start();
    while (calls().size() < count && timeout.elapsed() < 120000)
        QTest::qWait(20);
    const auto all = calls();
    return all.size() < count ? -1 : all.at(count - 1).value(QLatin1String("time")).toDouble();
}

void printMemory(const char *when, qint64 pid)
{
    std::printf("  host memory %s: resident %.0f KiB, private dirty %.0f KiB\n", when,
                memoryKiB(pid, "Rss"), memoryKiB(pid, "Private_Dirty"));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    PrivateDesktop desktop;
    if (!desktop.isValid() || !SystemFiles::available()) {
        std::fprintf(stderr, "needs the private desktop and mount namespaces\n");
        return 1;
    }
    Peer daemon, server;
    if (!daemon.start(QStringLiteral(DAEMON_PEER_PATH)) ||
        !server.start(QStringLiteral(NOTIFICATION_PEER_PATH)))
        return 1;
    QDBusConnection bus = QDBusConnection::systemBus();
    const QString notice =
        QStringLiteral("{\"opt\": 1, \"appName\": \"Calc\", \"logname\": \"%1\"}");

    // The floor: the same signals to this process, which only counts them.
    Receiver receiver;
    bus.connect(QStringLiteral("com.yarl.appstore.daemon"), QStringLiteral("/appstore"),
                QStringLiteral("com.yarl.appstore.daemon.interface"),
                QStringLiteral("sigSystemNotificationSent"), &receiver, SLOT(receive(QString)));
    QTest::qWait(200);
    qint64 start = monotonicNanoseconds();
    bus.asyncCall(control(QStringLiteral("EmitManySystemNotifications"), {notice, kNotices}));
    QElapsedTimer timeout;
    timeout.start();
    while (receiver.count < kNotices && timeout.elapsed() < 120000)
        QTest::qWait(5);
    const double floorSeconds = double(receiver.last - start) / 1e9;
    bus.disconnect(QStringLiteral("com.yarl.appstore.daemon"), QStringLiteral("/appstore"),
                   QStringLiteral("com.yarl.appstore.daemon.interface"),
                   QStringLiteral("sigSystemNotificationSent"), &receiver, SLOT(receive(QString)));

    SystemFiles files;
    files.add(QStringLiteral("/etc/ostrel-edition"), "EditionType=3\n");
    Host host;
    if (!host.start({}, files.wrapper()))
        return 1;
    QTest::qWait(1000);
    // The user the host found, as it reported it to the daemon.
    const QString hostUser = daemon.calls(QStringLiteral("SetSystemProxy"))
                                 .value(0)
                                 .value(QLatin1String("args"))
                                 .toArray()
                                 .at(0)
                                 .toString();
    const QString relayed = notice.arg(hostUser);

    std::printf("%d notices relayed to the notification server:\n", kNotices);
    printMemory("before", host.pid());
    const auto notifications = [&server] { return server.calls(QStringLiteral("Notify")); };
    // Relays batches of the given size, each once the one before has arrived:
    // one batch of all is a burst that piles up in the host; small batches
    // keep that pile small. The monotonic time of the last notification.
    const auto relay = [&](int batch) {
        double last = 0;
        for (int sent = 0; sent < kNotices && last >= 0; sent += batch) {
            const int before = notifications().size();
            bus.asyncCall(control(QStringLiteral("EmitManySystemNotifications"), {relayed, batch}));
            last = waitForCalls(notifications, before + batch);
        }
        return last;
    };
    double relaySeconds = 0;
    for (const int batch : {100, kNotices, kNotices}) {
        start = monotonicNanoseconds();
        const double last = relay(batch);
        if (last < 0) {
            std::fprintf(stderr, "the notifications did not all arrive\n");
            return 1;
        }
        if (batch == kNotices && relaySeconds == 0)
            relaySeconds = (last - double(start)) / 1e9;
        QTest::qWait(1000);
        printMemory(batch == kNotices ? "after a burst of 10,000"
                                      : "after 10,000 in batches of 100",
                    host.pid());
    }
    std::printf("  relay: %.0f notices/s (%.3f s); floor, the bare signals: %.0f/s (%.3f s); "
                "ratio %.2f\n",
                kNotices / relaySeconds, relaySeconds, kNotices / floorSeconds, floorSeconds,
                relaySeconds / floorSeconds);

    // Update announcements on a day with a notice: each reads the daemon's
    // flag and the stored date, and stops.
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyyMMdd"));
    bus.call(daemonCall(QStringLiteral("com.yarl.appstore.daemon.interface"),
                        QStringLiteral("SetConfigByNodeName"),
                        {QStringLiteral("upgradeNoticeTime"), today}));
    const auto hostReads = [&daemon, &bus] {
        QList<QJsonObject> reads;
        for (const QJsonObject &call : daemon.calls(QStringLiteral("GetConfigByNodeName"))) {
            if (call.value(QLatin1String("sender")).toString() != bus.baseService())
                reads << call;
        }
        return reads;
    };
    const int readsBefore = hostReads().size();
    start = monotonicNanoseconds();
    bus.asyncCall(control(QStringLiteral("EmitManyLocalAppsUpgradeNotifies"),
                          {QStringList{QStringLiteral("{\"name\": \"App\"}")}, kAnnouncements}));
    const double last = waitForCalls(hostReads, readsBefore + kAnnouncements);
    if (last < 0) {
        std::fprintf(stderr, "the announcements were not all handled\n");
        return 1;
    }
    const double perAnnouncement = (last - double(start)) / 1e3 / kAnnouncements;

    QElapsedTimer roundTrips;
    roundTrips.start();
    // Ping is answered by the daemon's D-Bus library itself: the bus and back.
    const QDBusMessage ping =
        daemonCall(QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping"), {});
    for (int i = 0; i < kAnnouncements; ++i)
        bus.call(ping);
    const double perRoundTrip = double(roundTrips.nsecsElapsed()) / 1e3 / kAnnouncements;
    std::printf("%d update announcements on a day already notified: %.1f us each; one bare round "
                "trip to the daemon: %.1f us; ratio %.2f\n",
                kAnnouncements, perAnnouncement, perRoundTrip, perAnnouncement / perRoundTrip);
    host.stop();
    return 0;
}

#include "notify_bench.moc"
