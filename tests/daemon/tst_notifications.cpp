// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// The real host loading the real plug-in, with the system app-store daemon and
// the lock service on the private system bus and a notification server on the
// private session bus: the daemon's notices and update announcements become
// desktop notifications. The host's system files (edition code, translation
// catalogue, password entries) are laid out in a private mount namespace.

#include "bus_helpers.h"
#include "own_user.h"
#include "private_desktop.h"
#include "proxy_settings.h"
#include "session_processes.h"
#include "system_files.h"
#include "test_main.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusReply>
#include <QDate>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

#include <csignal>
#include <memory>

namespace {

const QString kDaemonInterface = QStringLiteral("com.yarl.appstore.daemon.interface");
const QString kDaemonControl = QStringLiteral("org.ostrel.test.AppstoreDaemon");
const QString kCatalogue = QStringLiteral("/usr/share/ostrel-yarl-appstore-client/translations/"
                                          "ostrel-yarl-appstore-client_de_DE.qm");
const QString kViewCommand = QStringLiteral(
    "ostrel-yarl-appstore-client,appstore://ostrel-yarl-appstore-client?tab/update,--from,"
    "5b3c9e1f0a7d4c2e9f6b8a1d3e5c7f90");

QString date(int daysFromToday)
{
    return QDate::currentDate().addDays(daysFromToday).toString(QStringLiteral("yyyyMMdd"));
}

QString json(const QJsonObject &object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

QString notice(int opt, const QString &appName, const QString &logname)
{
    return json({{QStringLiteral("opt"), opt},
                 {QStringLiteral("appName"), appName},
                 {QStringLiteral("packageName"), QStringLiteral("org.example.pkg")},
                 {QStringLiteral("logname"), logname}});
}

// Update announcements for applications "App1" to "App<count>".
QStringList apps(int count)
{
    QStringList infos;
    for (int i = 1; i <= count; ++i)
        infos << json({{QStringLiteral("name"), QStringLiteral("App%1").arg(i)},
                       {QStringLiteral("package_name"), QStringLiteral("org.app%1").arg(i)}});
    return infos;
}

QJsonArray args(const QJsonObject &call)
{
    return call.value(QLatin1String("args")).toArray();
}

// A notification's eight arguments as JSON text, to compare and show.
QString argsText(const QJsonObject &call)
{
    return QString::fromUtf8(QJsonDocument(args(call)).toJson(QJsonDocument::Compact));
}

QString argsText(const QJsonArray &expected)
{
    return QString::fromUtf8(QJsonDocument(expected).toJson(QJsonDocument::Compact));
}

QString summaryOf(const QJsonObject &call)
{
    return args(call).at(3).toString();
}

QString bodyOf(const QJsonObject &call)
{
    return args(call).at(4).toString();
}

bool callDaemon(const QString &interface, const QString &member, const QVariantList &arguments)
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("com.yarl.appstore.daemon"), QStringLiteral("/appstore"), interface, member);
    call.setArguments(arguments);
    return QDBusConnection::systemBus().call(call).type() == QDBusMessage::ReplyMessage;
}

bool dconfWrite(const QString &key, const QString &value)
{
    const QString path = QStringLiteral("/ostrel-app-store/org.ostrel.app-store/") + key;
    return value.isNull()
               ? runTool(QStringLiteral("dconf"), {QStringLiteral("reset"), path}) == 0
               : runTool(QStringLiteral("dconf"), {QStringLiteral("write"), path, value}) == 0;
}

// What the host runs with.
struct Setup
{
    int edition = 3;
    bool wayland = false;
    bool german = false;
    // No password entry: the lock service answers CurrentUser with this text,
    // or with an error where it is null.
    bool withoutUserName = false;
    QString lockReply;
    bool daemonRunning = true;
    // A service the host does without: "lock", "schemas" or "dconf".
    QString missing;

    bool operator==(const Setup &other) const
    {
        return edition == other.edition && wayland == other.wayland && german == other.german &&
               withoutUserName == other.withoutUserName && lockReply == other.lockReply &&
               daemonRunning == other.daemonRunning && missing == other.missing;
    }
};

// The private session bus's service file of dconf.
QString dconfServiceFile()
{
    return qEnvironmentVariable("XDG_DATA_HOME") +
           QStringLiteral("/dbus-1/services/ca.desrt.dconf.service");
}

// Stops dconf's service and keeps the bus from starting it again.
bool stopDconf()
{
    if (!QFile::rename(dconfServiceFile(), dconfServiceFile() + QStringLiteral(".off")))
        return false;
    QDBusConnectionInterface *bus = QDBusConnection::sessionBus().interface();
    const QDBusReply<uint> pid = bus->servicePid(QStringLiteral("ca.desrt.dconf"));
    if (pid.isValid())
        kill(pid_t(pid.value()), SIGTERM);
    for (int i = 0; i < 100 && bus->isServiceRegistered(QStringLiteral("ca.desrt.dconf")); ++i)
        QTest::qWait(50);
    return !bus->isServiceRegistered(QStringLiteral("ca.desrt.dconf"));
}

void emitUserChanged(const QString &user)
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.ostrel.kse.LockService1"),
        QStringLiteral("/org/ostrel/kse/LockService1"),
        QStringLiteral("org.ostrel.test.LockService"), QStringLiteral("EmitUserChanged"));
    call << user;
    QDBusConnection::systemBus().call(call);
}

} // namespace

class TestNotifications : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Peer> m_daemon;
    Peer m_lock;
    Peer m_server;
    std::unique_ptr<SystemFiles> m_files;
    std::unique_ptr<Host> m_host;
    Setup m_setup;
    int m_notificationsSeen = 0;
    int m_logLinesSeen = 0;
    int m_sentinels = 0;
    // The session user the host found, as it reported it to the daemon.
    QString m_hostUser;

    // Starts the host unless it already runs with this setup.
    bool useHost(const Setup &setup)
    {
        if (m_host && m_setup == setup)
            return true;
        if (m_host)
            m_host->stop();
        m_host.reset();
        // Each host meets a daemon with nothing stored, checking nothing.
        m_daemon.reset();
        if (setup.daemonRunning && !startDaemon())
            return false;
        m_lock.stop();
        if (setup.missing != QLatin1String("lock") &&
            !m_lock.start(QStringLiteral(LOCK_PEER_PATH), lockArguments(setup)))
            return false;

        m_files = std::make_unique<SystemFiles>();
        m_files->add(QStringLiteral("/etc/ostrel-edition"),
                     "EditionType=" + QByteArray::number(setup.edition) + '\n');
        if (setup.german) {
            QFile catalogue(QStringLiteral(TRANSLATION_QM));
            if (!catalogue.open(QIODevice::ReadOnly))
                return false;
            m_files->add(kCatalogue, catalogue.readAll());
        }
        if (setup.withoutUserName)
            m_files->hideOwnPasswordEntry();
        QStringList wrapper = m_files->wrapper();
        wrapper << QStringLiteral("env") << QStringLiteral("-u")
                << QStringLiteral("WAYLAND_DISPLAY") << QStringLiteral("-u")
                << QStringLiteral("XDG_SESSION_TYPE")
                << (setup.german ? QStringLiteral("LC_ALL=de_DE.UTF-8")
                                 : QStringLiteral("LC_ALL=C.UTF-8"));
        if (setup.wayland)
            wrapper << QStringLiteral("XDG_SESSION_TYPE=wayland");
        if (setup.missing == QLatin1String("schemas"))
            wrapper << QStringLiteral("GSETTINGS_SCHEMA_DIR=/nonexistent");

        m_setup = setup;
        m_host = std::make_unique<Host>();
        m_logLinesSeen = 0;
        m_notificationsSeen = notifications().size();
        if (!m_host->start({}, wrapper))
            return false;
        // Up once the bridge's first report reached the daemon.
        for (int i = 0;
             i < 200 && m_daemon && hostCalls(QStringLiteral("SetSystemProxy")).isEmpty(); ++i)
            QTest::qWait(50);
        if (!m_daemon)
            return true;
        const QList<QJsonObject> reports = m_daemon->calls(QStringLiteral("SetSystemProxy"));
        m_hostUser = reports.isEmpty() ? QString() : args(reports.last()).at(0).toString();
        return !hostCalls(QStringLiteral("SetSystemProxy")).isEmpty();
    }

    static QStringList lockArguments(const Setup &setup)
    {
        if (!setup.withoutUserName)
            return {};
        if (setup.lockReply.isNull())
            return {QStringLiteral("--error")};
        return {QStringLiteral("--reply"), setup.lockReply};
    }

    bool startDaemon(const QStringList &arguments = {})
    {
        m_daemon = std::make_unique<Peer>();
        return m_daemon->start(QStringLiteral(DAEMON_PEER_PATH), arguments);
    }

    QList<QJsonObject> notifications() { return m_server.calls(QStringLiteral("Notify")); }

    void emitNotice(const QString &text)
    {
        QVERIFY(callDaemon(kDaemonControl, QStringLiteral("EmitSystemNotificationSent"), {text}));
    }

    void announce(const QStringList &infos)
    {
        QVERIFY(callDaemon(kDaemonControl, QStringLiteral("EmitLocalAppsUpgradeNotify"), {infos}));
    }

    void storeNoticeDate(const QString &stored)
    {
        QVERIFY(callDaemon(kDaemonInterface, QStringLiteral("SetConfigByNodeName"),
                           {QStringLiteral("upgradeNoticeTime"), stored}));
    }

    // The notifications shown since the last call. A relayed notice of its
    // own closes the sequence: the host handles the daemon's signals in
    // order, so once that notification is here, every earlier one is too.
    // A host that knows no user relays nothing: an update notice closes it.
    QList<QJsonObject> shown()
    {
        const QString sentinel = QStringLiteral("sentinel-%1").arg(++m_sentinels);
        if (m_hostUser.isEmpty()) {
            storeNoticeDate(date(-1));
            announce({json({{QStringLiteral("name"), sentinel}})});
        } else {
            emitNotice(notice(1, sentinel, m_hostUser));
        }
        const auto closes = [&sentinel](const QJsonObject &note) {
            return summaryOf(note).contains(sentinel) || bodyOf(note).contains(sentinel);
        };
        QList<QJsonObject> all = notifications();
        for (int i = 0; i < 200 && (all.isEmpty() || !closes(all.last())); ++i) {
            QTest::qWait(50);
            all = notifications();
        }
        QList<QJsonObject> result = all.mid(m_notificationsSeen);
        m_notificationsSeen = all.size();
        if (result.isEmpty() || !closes(result.last()))
            QTest::qFail("the closing notification did not arrive", __FILE__, __LINE__);
        else
            result.removeLast();
        return result;
    }

    // The body of the update notice an announcement of infos brings on a day
    // without a notice yet; null when none is shown.
    QString noticeBody(const QStringList &infos)
    {
        storeNoticeDate(date(-1));
        announce(infos);
        const QList<QJsonObject> notes = shown();
        return notes.isEmpty() ? QString() : bodyOf(notes.last());
    }

    // The announcement repeated until its notice's body is the expected one,
    // or time runs out: the last body shown.
    QString settledBody(const QString &expected)
    {
        QString shown = noticeBody(apps(3));
        for (int i = 0; i < 50 && shown != expected; ++i) {
            QTest::qWait(100);
            shown = noticeBody(apps(3));
        }
        return shown;
    }

    // The plug-in's log lines since the last call.
    QStringList newLogLines()
    {
        const QStringList lines = m_host->pluginLines();
        const QStringList result = lines.mid(m_logLinesSeen);
        m_logLinesSeen = lines.size();
        return result;
    }

    // Waits until the host has handled what the daemon sent so far, and the
    // replies to what it sent have had time to come back: the host handles
    // the daemon's signals in order, so once this user's return is reported,
    // the signals before it are handled too.
    void waitUntilHandled()
    {
        const int reports = hostCalls(QStringLiteral("SetSystemProxy")).size();
        emitUserChanged(m_hostUser);
        QTRY_COMPARE(hostCalls(QStringLiteral("SetSystemProxy")).size(), reports + 1);
        QTest::qWait(100);
    }

    // Calls the host made to the daemon with this member, oldest first.
    QStringList hostCalls(const QString &member)
    {
        QStringList result;
        for (const QJsonObject &call : m_daemon->calls(member)) {
            if (call.value(QLatin1String("sender")).toString() !=
                QDBusConnection::systemBus().baseService())
                result << args(call).last().toString();
        }
        return result;
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (!SystemFiles::available())
            QSKIP("no private mount namespaces here");
        QVERIFY(m_server.start(QStringLiteral(NOTIFICATION_PEER_PATH)));
    }

    void cleanup()
    {
        for (const char *member : {"GetConfigByNodeName", "SetConfigByNodeName"}) {
            if (m_daemon)
                callDaemon(kDaemonControl, QStringLiteral("SetFailing"),
                           {QString::fromLatin1(member), false});
        }
        if (QFile::exists(dconfServiceFile() + QStringLiteral(".off")))
            QFile::rename(dconfServiceFile() + QStringLiteral(".off"), dconfServiceFile());
        if (m_setup.daemonRunning != bool(m_daemon))
            m_host.reset(); // the daemon came or went: the next test starts afresh
    }

    void cleanupTestCase()
    {
        if (m_host)
            QCOMPARE(m_host->stop(), 0);
    }

    void relaysThisUsersNotices_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("summary"); // null: nothing shown
        QTest::addColumn<QString>("icon");

        const QString user = ownSessionUserName();
        QTest::newRow("installed") << notice(1, "Calc", user) << "\"Calc\" installed successfully"
                                   << "package-install-succeed";
        QTest::newRow("install failed") << notice(2, "Calc", user) << "Failed to install \"Calc\""
                                        << "package-install-failed";
        QTest::newRow("updated") << notice(3, "Calc", user) << "\"Calc\" updated successfully"
                                 << "package-updated-succeed";
        QTest::newRow("update failed") << notice(4, "Calc", user) << "Failed to update \"Calc\""
                                       << "package-updated-failed";
        QTest::newRow("removed") << notice(5, "Calc", user) << "Calc removed successfully"
                                 << "application-default-icon";
        QTest::newRow("removed, no display name")
            << notice(5, QString(), user) << "org.example.pkg removed successfully"
            << "application-default-icon";
        QTest::newRow("remove failed") << notice(6, "Calc", user) << "Failed to remove the app"
                                       << "application-default-icon";
        QTest::newRow("new version") << notice(7, "Calc", user) << "\"Calc\" new version available"
                                     << "";
        QTest::newRow("out of range") << notice(8, "Calc", user) << ""
                                      << "";
        QTest::newRow("negative") << notice(-1, "Calc", user) << ""
                                  << "";
        QTest::newRow("status 0") << notice(0, "Calc", user) << QString() << "";
        QTest::newRow("other user") << notice(1, "Calc", "someone-else") << QString() << "";
        QTest::newRow("letter case") << notice(1, "Calc", user.toUpper()) << QString() << "";
        QTest::newRow("no logname") << json({{"opt", 1}, {"appName", "Calc"}}) << QString() << "";
        QTest::newRow("opt as text")
            << json({{"opt", "1"}, {"appName", "Calc"}, {"logname", user}}) << QString() << "";
        QTest::newRow("name of the wrong type")
            << json({{"opt", 1}, {"appName", 5}, {"logname", user}})
            << "\"\" installed successfully"
            << "package-install-succeed";
        QTest::newRow("array") << QStringLiteral("[{\"opt\": 1, \"logname\": \"%1\"}]").arg(user)
                               << QString() << "";
        QTest::newRow("empty object") << "{}" << QString() << "";
        QTest::newRow("not json") << "installed" << QString() << "";
        QTest::newRow("empty text") << "" << QString() << "";
    }

    void relaysThisUsersNotices()
    {
        QFETCH(QString, text);
        QFETCH(QString, summary);
        QFETCH(QString, icon);
        QVERIFY(useHost(Setup()));
        newLogLines();
        emitNotice(text);
        const QList<QJsonObject> notes = shown();
        QCOMPARE(notes.size(), summary.isNull() ? 0 : 1);
        if (!summary.isNull()) {
            QCOMPARE(argsText(notes.first()),
                     argsText(QJsonArray({"ostrel-app-store", 0, icon, summary, "", QJsonArray(),
                                          QJsonObject(), 3000})));
        }
        QCOMPARE(newLogLines(), QStringList()); // nothing logged
    }

    void relaysOnlyForTheEdition()
    {
        Setup setup;
        setup.edition = 2;
        QVERIFY(useHost(setup));
        storeNoticeDate(date(-1));
        emitNotice(notice(1, "Calc", ownSessionUserName()));
        announce(apps(1));
        QTRY_COMPARE(notifications().size(), m_notificationsSeen + 1);
        QTest::qWait(300);
        QCOMPARE(notifications().size(), m_notificationsSeen + 1);
        QCOMPARE(bodyOf(notifications().last()), QStringLiteral("1 app: App1"));
        m_notificationsSeen = notifications().size();
    }

    // The user comes from the lock service: a "Uid" that is not a user id
    // leaves it unknown, and a session of an unknown user relays nothing.
    void relaysOnlyForAKnownUser_data()
    {
        QTest::addColumn<QString>("lockReply"); // null: an error
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("relayed");
        const QString none;
        QTest::newRow("no user, no logname")
            << none << json({{"opt", 1}, {"appName", "Calc"}}) << false;
        QTest::newRow("no user, empty logname") << none << notice(1, "Calc", "") << false;
        QTest::newRow("uid as text")
            << "{\"Name\": \"\", \"Uid\": \"abc\"}" << notice(1, "Calc", "") << false;
        QTest::newRow("uid a fraction") << "{\"Uid\": 0.5}" << notice(1, "Calc", "") << false;
        QTest::newRow("uid negative") << "{\"Uid\": -1}" << notice(1, "Calc", "") << false;
        QTest::newRow("uid 1") << "{\"Uid\": 1}" << notice(1, "Calc", "daemon") << true;
        QTest::newRow("uid 1.0") << "{\"Uid\": 1.0}" << notice(1, "Calc", "daemon") << true;
    }

    void relaysOnlyForAKnownUser()
    {
        QFETCH(QString, lockReply);
        QFETCH(QString, text);
        QFETCH(bool, relayed);
        if (!ownLoginName().isEmpty())
            QSKIP("this session has a login name, which the host would find");
        Setup setup;
        setup.withoutUserName = true;
        setup.lockReply = lockReply;
        QVERIFY(useHost(setup));
        emitNotice(text);
        QCOMPARE(shown().size(), relayed ? 1 : 0);
    }

    void showsTheUpdateNotice_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("body");
        QTest::newRow("1") << 1 << "1 app: App1";
        QTest::newRow("2") << 2 << "2 apps: App1, App2";
        QTest::newRow("3") << 3 << "3 apps: App1, App2, App3";
        QTest::newRow("4") << 4 << "4 apps: App1, App2, App3...";
        QTest::newRow("5") << 5 << "5 apps: App1, App2, App3...";
    }

    void showsTheUpdateNotice()
    {
        QFETCH(int, count);
        QFETCH(QString, body);
        QVERIFY(useHost(Setup()));
        storeNoticeDate(date(-1));
        announce(apps(count));
        const QList<QJsonObject> notes = shown();
        QCOMPARE(notes.size(), 1);
        const QJsonObject hints{{"x-ostrel-action-show_detail", kViewCommand}};
        QCOMPARE(argsText(notes.first()),
                 argsText(QJsonArray({"ostrel-app-store", 0, "ostrel-app-store",
                                      "App Updates are available", body,
                                      QJsonArray({"show_detail", "View"}), hints, -1})));
        QCOMPARE(hostCalls(QStringLiteral("SetConfigByNodeName")).last(), date(0));
    }

    void showsOneNoticeADay_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("readFails");
        QTest::addColumn<QString>("lastDate"); // as logged
        QTest::addColumn<bool>("notice");
        QTest::newRow("today") << date(0) << false << date(0) << false;
        QTest::newRow("earlier") << date(-1) << false << date(-1) << true;
        QTest::newRow("later") << date(1) << false << date(1) << true;
        QTest::newRow("not a date") << "someday" << false << "" << true;
        QTest::newRow("read failing") << date(0) << true << "19700101" << true;
    }

    void showsOneNoticeADay()
    {
        QFETCH(QString, stored);
        QFETCH(bool, readFails);
        QFETCH(QString, lastDate);
        QFETCH(bool, notice);
        QVERIFY(useHost(Setup()));
        storeNoticeDate(stored);
        QVERIFY(callDaemon(kDaemonControl, QStringLiteral("SetFailing"),
                           {QStringLiteral("GetConfigByNodeName"), readFails}));
        const int writes = hostCalls(QStringLiteral("SetConfigByNodeName")).size();
        newLogLines();

        announce(apps(1));
        QCOMPARE(shown().size(), notice ? 1 : 0);
        QStringList expectedLog = {QStringLiteral("debug|LocalUpgradeCheckStatus: false")};
        if (readFails)
            expectedLog << QStringLiteral("warning|GetConfigByNodeName upgradeNoticeTime failed: "
                                          "GetConfigByNodeName failed on request");
        expectedLog << QStringLiteral("debug|Last notify date: %1, current date: %2")
                           .arg(lastDate, date(0));
        QCOMPARE(newLogLines(), expectedLog);
        // The date is written after a notice, and only then.
        const QStringList written = hostCalls(QStringLiteral("SetConfigByNodeName")).mid(writes);
        QCOMPARE(written, notice ? QStringList{date(0)} : QStringList());
    }

    void doesNothingForAnEmptyAnnouncement()
    {
        QVERIFY(useHost(Setup()));
        const int reads = hostCalls(QStringLiteral("GetConfigByNodeName")).size();
        newLogLines();
        announce({});
        QCOMPARE(shown().size(), 0);
        QCOMPARE(hostCalls(QStringLiteral("GetConfigByNodeName")).size(), reads);
        QCOMPARE(newLogLines(), QStringList());
    }

    void holdsBackWhileTheDaemonChecks()
    {
        QVERIFY(useHost(Setup()));
        const int reads = hostCalls(QStringLiteral("GetConfigByNodeName")).size();
        QVERIFY(callDaemon(kDaemonControl, QStringLiteral("SetLocalUpgradeCheckStatus"), {true}));
        newLogLines();
        storeNoticeDate(date(-1));
        announce(apps(1));
        QCOMPARE(shown().size(), 0);
        QCOMPARE(newLogLines(), QStringList{QStringLiteral("debug|LocalUpgradeCheckStatus: true")});
        QCOMPARE(hostCalls(QStringLiteral("GetConfigByNodeName")).size(), reads);

        QVERIFY(callDaemon(kDaemonControl, QStringLiteral("SetLocalUpgradeCheckStatus"), {false}));
        QCOMPARE(noticeBody(apps(1)), QStringLiteral("1 app: App1"));
    }

    // The flag is read even when the daemon was not there as the bridge was made.
    void holdsBackWhenTheDaemonStartsLater()
    {
        Setup setup;
        setup.daemonRunning = false;
        QVERIFY(useHost(setup));
        QVERIFY(startDaemon({QStringLiteral("--upgrade-check-status")}));
        newLogLines();
        storeNoticeDate(date(-1));
        announce(apps(1));
        QCOMPARE(shown().size(), 0);
        QCOMPARE(newLogLines(), QStringList{QStringLiteral("debug|LocalUpgradeCheckStatus: true")});
    }

    void filtersForWayland_data()
    {
        QTest::addColumn<bool>("wayland");
        QTest::addColumn<QString>("body");
        QTest::newRow("wayland") << true << "3 apps: Number, Fraction, Written 1.0";
        QTest::newRow("x11") << false << "7 apps: Number, Fraction, Written 1.0...";
    }

    void filtersForWayland()
    {
        QFETCH(bool, wayland);
        QFETCH(QString, body);
        Setup setup;
        setup.wayland = wayland;
        QVERIFY(useHost(setup));
        const QStringList infos = {
            json({{"name", "Number"}, {"supportWayland", 1}}),
            json({{"name", "Fraction"}, {"supportWayland", 1.0}}),
            // As the daemon may write it; Qt's own writer would write 1.
            QStringLiteral("{\"name\": \"Written 1.0\", \"supportWayland\": 1.0}"),
            json({{"name", "Boolean"}, {"supportWayland", true}}),
            json({{"name", "Text"}, {"supportWayland", "1"}}),
            json({{"name", "Zero"}, {"supportWayland", 0}}),
            json({{"name", "Missing"}}),
        };
        QCOMPARE(noticeBody(infos), body);
    }

    void followsTheIgnoreList_data()
    {
        QTest::addColumn<QString>("ignored");   // as dconf writes it; null: reset
        QTest::addColumn<QStringList>("dconf"); // then this command, if any
        QTest::addColumn<QString>("body");
        const QString store = QStringLiteral("/ostrel-app-store/org.ostrel.app-store/");
        QTest::newRow("one") << "['org.app2']" << QStringList() << "2 apps: App1, App3";
        QTest::newRow("letter case")
            << "['ORG.APP2']" << QStringList() << "3 apps: App1, App2, App3";
        QTest::newRow("all") << "['org.app1', 'org.app2', 'org.app3']" << QStringList()
                             << QString();
        QTest::newRow("reset") << QString() << QStringList() << "3 apps: App1, App2, App3";
        // What a "reset to defaults" button does.
        QTest::newRow("reset of the directory")
            << "['org.app2']" << QStringList{"reset", "-f", store} << "3 apps: App1, App2, App3";
        QTest::newRow("reset of a parent")
            << "['org.app2']" << QStringList{"reset", "-f", "/ostrel-app-store/"}
            << "3 apps: App1, App2, App3";
    }

    // Changed from another process: the change reaches the host on its own
    // time, so the announcement is repeated until it is seen, or time runs out.
    void followsTheIgnoreList()
    {
        QFETCH(QString, ignored);
        QFETCH(QStringList, dconf);
        QFETCH(QString, body);
        QVERIFY(useHost(Setup()));
        QVERIFY(dconfWrite(QStringLiteral("appsIgnoreUpdates"), ignored));
        if (!dconf.isEmpty()) {
            // Only once the write has reached the host does the command change it.
            QCOMPARE(settledBody(QStringLiteral("2 apps: App1, App3")),
                     QStringLiteral("2 apps: App1, App3"));
            QCOMPARE(runTool(QStringLiteral("dconf"), dconf), 0);
        }
        QCOMPARE(settledBody(body), body);
    }

    void canBeSwitchedOff()
    {
        QVERIFY(useHost(Setup()));
        const int writes = hostCalls(QStringLiteral("SetConfigByNodeName")).size();
        QVERIFY(dconfWrite(QStringLiteral("updateAppsNotNotify"), QStringLiteral("true")));
        QCOMPARE(noticeBody(apps(1)), QString());
        QCOMPARE(hostCalls(QStringLiteral("SetConfigByNodeName")).size(), writes);
        QVERIFY(dconfWrite(QStringLiteral("updateAppsNotNotify"), QStringLiteral("false")));
        QCOMPARE(noticeBody(apps(1)), QStringLiteral("1 app: App1"));
        QVERIFY(dconfWrite(QStringLiteral("updateAppsNotNotify"), QString()));
    }

    void speaksTheUsersLanguage()
    {
        Setup setup;
        setup.german = true;
        QVERIFY(useHost(setup));
        emitNotice(notice(1, "Calc", ownSessionUserName()));
        emitNotice(notice(6, "Calc", ownSessionUserName()));
        QList<QJsonObject> notes = shown();
        QCOMPARE(notes.size(), 2);
        QCOMPARE(summaryOf(notes.at(0)), QStringLiteral("\"Calc\" wurde installiert"));
        QCOMPARE(summaryOf(notes.at(1)), QStringLiteral("Die App konnte nicht entfernt werden"));

        storeNoticeDate(date(-1));
        announce(apps(1));
        notes = shown();
        QCOMPARE(notes.size(), 1);
        QCOMPARE(summaryOf(notes.first()), QStringLiteral("App-Aktualisierungen sind verfügbar"));
        QCOMPARE(bodyOf(notes.first()), QStringLiteral("Eine App: App1"));
        QCOMPARE(args(notes.first()).at(5).toArray().toVariantList(),
                 QVariantList({"show_detail", "Ansehen"}));
        QCOMPARE(noticeBody(apps(2)), QStringLiteral("2 Anwendungen: App1, App2"));
    }
    void survivesADaemonRestart()
    {
        QVERIFY(useHost(Setup()));
        m_daemon.reset();
        QVERIFY(startDaemon());
        emitNotice(notice(1, "Calc", ownSessionUserName()));
        storeNoticeDate(date(-1));
        announce(apps(1));
        QCOMPARE(shown().size(), 2);
    }

    // The notice is shown, but the daemon did not keep its date: the next
    // announcement that day brings the notice again rather than none.
    void notifiesAgainWhenTheDateIsNotStored()
    {
        QVERIFY(useHost(Setup()));
        storeNoticeDate(date(-1));
        QVERIFY(callDaemon(kDaemonControl, QStringLiteral("SetFailing"),
                           {QStringLiteral("SetConfigByNodeName"), true}));
        announce(apps(1));
        announce(apps(1));
        QCOMPARE(shown().size(), 2);
    }

    // Notices sent while no server owns the name, as at login: held, then
    // shown in order once a server takes the name, and never again.
    void holdsNoticesUntilAServerAppears()
    {
        QVERIFY(useHost(Setup()));
        m_server.stop();
        emitNotice(notice(1, "Calc", m_hostUser));
        storeNoticeDate(date(-1));
        announce(apps(1));
        emitNotice(notice(6, "Calc", m_hostUser));
        waitUntilHandled();
        QVERIFY(m_server.start(QStringLiteral(NOTIFICATION_PEER_PATH)));
        const QList<QJsonObject> notes = shown();
        QStringList summaries;
        for (const QJsonObject &note : notes)
            summaries << summaryOf(note);
        QCOMPARE(summaries, QStringList({"\"Calc\" installed successfully",
                                         "App Updates are available", "Failed to remove the app"}));
        QCOMPARE(hostCalls(QStringLiteral("SetConfigByNodeName")).last(), date(0));

        // A restart of the server brings none of them again.
        m_server.stop();
        QVERIFY(m_server.start(QStringLiteral(NOTIFICATION_PEER_PATH)));
        QCOMPARE(shown().size(), 0);
        QCOMPARE(m_host->errorLines().filter(QStringLiteral("vmocore.notifications|")),
                 QStringList());
    }

    // The oldest is dropped, with one warning line, to keep the 32 newest.
    void holdsAtMost32Notices()
    {
        QVERIFY(useHost(Setup()));
        m_server.stop();
        for (int i = 1; i <= 33; ++i)
            emitNotice(notice(1, QStringLiteral("App%1").arg(i), m_hostUser));
        waitUntilHandled();
        QVERIFY(m_server.start(QStringLiteral(NOTIFICATION_PEER_PATH)));
        const QList<QJsonObject> notes = shown();
        QCOMPARE(notes.size(), 32);
        QCOMPARE(summaryOf(notes.first()), QStringLiteral("\"App2\" installed successfully"));
        QCOMPARE(summaryOf(notes.last()), QStringLiteral("\"App33\" installed successfully"));
        QCOMPARE(m_host->errorLines().filter(QStringLiteral("vmocore.notifications|")),
                 QStringList{"vmocore.notifications|warning|Notification dropped, too many held "
                             "without a notification server: \"\\\"App1\\\" installed "
                             "successfully\""});
    }

    void worksWithoutAService_data()
    {
        QTest::addColumn<QString>("missing");
        QTest::newRow("lock service") << "lock";
        QTest::newRow("proxy schemas") << "schemas";
        QTest::newRow("dconf service") << "dconf";
    }

    void worksWithoutAService()
    {
        QFETCH(QString, missing);
        if (missing == QLatin1String("dconf"))
            QVERIFY(stopDconf());
        Setup setup;
        setup.missing = missing;
        QVERIFY(useHost(setup));
        QTRY_COMPARE(hostCalls(QStringLiteral("SetSystemProxy")), QStringList{nonePayload()});
        emitNotice(notice(1, "Calc", ownSessionUserName()));
        storeNoticeDate(date(-1));
        announce(apps(1));
        QCOMPARE(shown().size(), 2);
    }

    // The daemon hangs as an announcement arrives: both of its reads wait
    // out the D-Bus timeout and the notice is shown; what came meanwhile is
    // handled afterwards.
    void waitsOutAHungDaemon()
    {
        QVERIFY(useHost(Setup()));
        QVERIFY(callDaemon(kDaemonControl, QStringLiteral("StallNextStatusRead"), {55}));
        newLogLines();
        const int reports = hostCalls(QStringLiteral("SetSystemProxy")).size();
        announce(apps(1));
        ProxySettings::set(QString(), QStringLiteral("autoconfig-url"),
                           QStringLiteral("'http://wpad.example/proxy.pac'"));
        ProxySettings::set(QString(), QStringLiteral("mode"), QStringLiteral("auto"));
        const QDBusPendingCall instance = QDBusConnection::sessionBus().asyncCall(
            QDBusMessage::createMethodCall(QStringLiteral("com.ostrel.appstore.daemon"),
                                           QStringLiteral("/com/ostrel/appstore/daemon"),
                                           QStringLiteral("com.ostrel.appstore.daemon"),
                                           QStringLiteral("Instance")),
            120000);

        QTRY_COMPARE_WITH_TIMEOUT(notifications().size(), m_notificationsSeen + 1, 90000);
        QCOMPARE(bodyOf(notifications().last()), QStringLiteral("1 app: App1"));
        m_notificationsSeen = notifications().size();
        QTRY_VERIFY(instance.isFinished());
        QVERIFY(!instance.isError());
        QStringList log = newLogLines();
        log = log.filter(QRegularExpression(QStringLiteral("^(?!debug\\|System Proxy:)")));
        QVERIFY2(log.size() == 4, qPrintable(log.join(QLatin1Char('\n'))));
        QCOMPARE(log.at(0), QStringLiteral("debug|LocalUpgradeCheckStatus: false"));
        QVERIFY2(log.at(1).startsWith(
                     QLatin1String("warning|GetConfigByNodeName upgradeNoticeTime failed: ")),
                 qPrintable(log.at(1)));
        QCOMPARE(log.at(2),
                 QStringLiteral("debug|Last notify date: 19700101, current date: %1").arg(date(0)));
        // Once the daemon is back, the proxy report reaches it and notices work.
        QTRY_VERIFY_WITH_TIMEOUT(hostCalls(QStringLiteral("SetSystemProxy")).size() > reports,
                                 30000);
        QVERIFY(hostCalls(QStringLiteral("SetSystemProxy"))
                    .constLast()
                    .contains(QLatin1String("\"auto_proxy\":\"http://wpad.example/proxy.pac\"")));
        emitNotice(notice(1, "Calc", ownSessionUserName()));
        QCOMPARE(shown().size(), 1);
        ProxySettings::reset();
    }
};

PRIVATE_DESKTOP_TEST_MAIN(TestNotifications)
#include "tst_notifications.moc"
