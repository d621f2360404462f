// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// The session host relaying the system daemon's notices to a notification
// server, through the real buses (in batches of 10, of 100, then in bursts):
// notices per second against the floor of the same buses (the same signals
// to a receiver that does nothing), and the host's memory after each round.
// Then notices held while no server runs and released when one starts, with
// the host's heap before and after; the time from the daemon's signal to
// Notify at the server against a bare round trip (Ping) and against a bare
// relay; and update announcements on a day already notified (two blocking
// reads each) against one bare round trip.

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
#include <QTimer>

#include <cstdio>

namespace {

constexpr int kNotices = 10000;
constexpr int kAnnouncements = 1000;
// As many as the host holds at most.
constexpr int kHeldAtOnce = 32;
constexpr int kTimed = 1000;
// What 10,000 relayed notices may add to the host's private dirty memory.
constexpr double kRelayGrowthTargetKiB = 256;

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

// Sends a fixed notification for each signal it receives: a relay without
// any of the plug-in's work.
class Forwarder : public QObject
{
    Q_OBJECT

public:
    Forwarder()
    {
        m_notify << QStringLiteral("ostrel-app-store") << 0U << QStringLiteral("icon")
                 << QStringLiteral("\"Calc\" installed successfully") << QString() << QStringList()
                 << QVariantMap() << 3000;
    }

public Q_SLOTS:
    void receive(const QString &) { QDBusConnection::sessionBus().asyncCall(m_notify); }

private:
    QDBusMessage m_notify = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
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

// Microseconds from each of kTimed signals of the daemon, one at a time, to
// the Notify it brings at the server; empty when one does not arrive.
QList<double> timeRelays(Peer &daemon, Peer &server, const QString &notice)
{
    const auto notifications = [&server] { return server.calls(QStringLiteral("Notify")); };
    QList<double> latencies;
    QTimer wake; // a time limit that the loop notices
    wake.start(100);
    for (int i = 0; i < kTimed; ++i) {
        const int before = notifications().size();
        QDBusConnection::systemBus().asyncCall(
            control(QStringLiteral("EmitSystemNotificationSent"), {notice}));
        // Waiting in the event loop, which a forwarder in this process needs.
        QElapsedTimer timeout;
        timeout.start();
        while (notifications().size() <= before && timeout.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        const QList<QJsonObject> emitted =
            daemon.calls(QStringLiteral("EmitSystemNotificationSent"));
        if (notifications().size() <= before || emitted.isEmpty())
            return {};
        const double arrived = notifications().at(before).value(QLatin1String("time")).toDouble();
        latencies << (arrived - emitted.last().value(QLatin1String("time")).toDouble()) / 1e3;
    }
    return latencies;
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
    const double dirtyBefore = memoryKiB(host.pid(), "Private_Dirty");
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
    // Each round's growth of the private dirty memory: 10,000 in batches of
    // 10, then of 100; the more are under way at once, the higher the
    // memory they leave allocated.
    QList<double> growths;
    double dirty = dirtyBefore;
    for (const int batch : {10, 100, kNotices, kNotices}) {
        start = monotonicNanoseconds();
        const double last = relay(batch);
        if (last < 0) {
            std::fprintf(stderr, "the notifications did not all arrive\n");
            return 1;
        }
        if (batch == kNotices && relaySeconds == 0)
            relaySeconds = (last - double(start)) / 1e9;
        QTest::qWait(1000);
        printMemory(batch == kNotices
                        ? "after a burst of 10,000"
                        : qPrintable(QStringLiteral("after 10,000 in batches of %1").arg(batch)),
                    host.pid());
        growths << memoryKiB(host.pid(), "Private_Dirty") - dirty;
        dirty += growths.last();
    }
    std::printf("  relay: %.0f notices/s (%.3f s); floor, the bare signals: %.0f/s (%.3f s); "
                "ratio %.2f\n",
                kNotices / relaySeconds, relaySeconds, kNotices / floorSeconds, floorSeconds,
                relaySeconds / floorSeconds);
    std::printf("  private dirty memory: %+.0f KiB after 10,000 in batches of 10 (%.2f of the "
                "%.0f KiB allowed), %+.0f KiB after 10,000 more in batches of 100, %+.0f KiB and "
                "%+.0f KiB after the bursts\n",
                growths.at(0), growths.at(0) / kRelayGrowthTargetKiB, kRelayGrowthTargetKiB,
                growths.at(1), growths.at(2), growths.at(3));

    // Held while no server runs, then released when one starts: rounds of
    // as many as the host holds, until 10,000 have gone through.
    const auto holdAndRelease = [&]() {
        server.stop();
        const int before = notifications().size();
        bus.call(control(QStringLiteral("EmitManySystemNotifications"), {relayed, kHeldAtOnce}));
        QTest::qWait(100); // the bus's refusals come back meanwhile
        return server.start(QStringLiteral(NOTIFICATION_PEER_PATH)) &&
               waitForCalls(notifications, before + kHeldAtOnce) >= 0;
    };
    if (!holdAndRelease())
        return 1;
    QTest::qWait(1000);
    const double heapBefore = heapKiB(host.pid());
    const double dirtyHeldBefore = memoryKiB(host.pid(), "Private_Dirty");
    for (int held = kHeldAtOnce; held < kNotices; held += kHeldAtOnce) {
        if (!holdAndRelease()) {
            std::fprintf(stderr, "the held notifications did not all arrive\n");
            return 1;
        }
    }
    QTest::qWait(1000);
    const double heapAfter = heapKiB(host.pid());
    const double dirtyHeldAfter = memoryKiB(host.pid(), "Private_Dirty");
    std::printf("%d notices held while no server ran, %d at a time, then released: heap %.0f KiB "
                "before, %.0f KiB after (ratio %.2f); private dirty %.0f KiB, %.0f KiB (ratio "
                "%.2f)\n",
                kNotices, kHeldAtOnce, heapBefore, heapAfter, heapAfter / heapBefore,
                dirtyHeldBefore, dirtyHeldAfter, dirtyHeldAfter / dirtyHeldBefore);

    // One notice at a time: from the daemon's signal to Notify at the
    // server, through the host; then, as a floor, through this process. A
    // server of its own, whose few records are quick to read.
    server.stop();
    Peer timedServer;
    if (!timedServer.start(QStringLiteral(NOTIFICATION_PEER_PATH)))
        return 1;
    const QList<double> latencies = timeRelays(daemon, timedServer, relayed);
    Forwarder forwarder;
    bus.connect(QStringLiteral("com.yarl.appstore.daemon"), QStringLiteral("/appstore"),
                QStringLiteral("com.yarl.appstore.daemon.interface"),
                QStringLiteral("sigSystemNotificationSent"), &forwarder, SLOT(receive(QString)));
    QTest::qWait(200);
    // Another user's notice: the host drops it, this process forwards it.
    const QList<double> forwarded =
        timeRelays(daemon, timedServer, notice.arg(QStringLiteral("someone-else")));
    bus.disconnect(QStringLiteral("com.yarl.appstore.daemon"), QStringLiteral("/appstore"),
                   QStringLiteral("com.yarl.appstore.daemon.interface"),
                   QStringLiteral("sigSystemNotificationSent"), &forwarder, SLOT(receive(QString)));
    if (latencies.isEmpty() || forwarded.isEmpty()) {
        std::fprintf(stderr, "a timed notice did not arrive\n");
        return 1;
    }
    // Ping is answered by the daemon's D-Bus library itself: the bus and back.
    const QDBusMessage ping =
        daemonCall(QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping"), {});
    QList<double> pings;
    for (int i = 0; i < kTimed; ++i) {
        QElapsedTimer roundTrip;
        roundTrip.start();
        bus.call(ping);
        pings << double(roundTrip.nsecsElapsed()) / 1e3;
    }
    for (const auto &[name, fraction] :
         {std::make_pair("median", 0.5), std::make_pair("99th percentile", 0.99)}) {
        const double relay = percentile(latencies, fraction), bare = percentile(pings, fraction);
        const double floor = percentile(forwarded, fraction);
        std::printf("daemon's signal to Notify at the server, %s of %d: %.1f us; bare round trip "
                    "(Ping): %.1f us, ratio %.2f (2 allowed); bare relay (this process sending "
                    "a fixed Notify for the signal): %.1f us, ratio %.2f\n",
                    name, kTimed, relay, bare, relay / bare, floor, relay / floor);
    }

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
