// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// The plug-in's entry points loaded into this process, with the system files
// they read (translations, edition) laid out in a private mount namespace:
// the overlays it mounts over /etc and /usr/share are its own and vanish
// with it.

#include "bus_helpers.h"
#include "log_capture.h"
#include "session_processes.h"
#include "session_type.h"
#include "system_files.h"
#include "test_main.h"

#include <vsysinfo.h>

#include <QDBusPendingCallWatcher>
#include <QDir>
#include <QFile>
#include <QLibrary>
#include <QSignalSpy>
#include <QTemporaryDir>

namespace {

// The system locale the catalogue is looked up for, set before Qt reads it.
[[maybe_unused]] const bool g_german = qputenv("LC_ALL", "de_DE.UTF-8");

using EntryPoint = int (*)(const char *, void *);
const QString kName = QStringLiteral("com.ostrel.appstore.daemon");
const QString kPath = QStringLiteral("/com/ostrel/appstore/daemon");
const QString kCatalogueDir = QStringLiteral("/usr/share/ostrel-yarl-appstore-client/translations");
const char kCategory[] = "com.ostrel.app-store.session-daemon";

QByteArray catalogue()
{
    QFile qm(QStringLiteral(TRANSLATION_QM));
    return qm.open(QIODevice::ReadOnly) ? qm.readAll() : QByteArray();
}

} // namespace

class TestPluginFrame : public QObject
{
    Q_OBJECT

private:
    QLibrary m_plugin{QStringLiteral(PLUGIN_PATH)};
    EntryPoint m_register = nullptr;
    EntryPoint m_unregister = nullptr;
    Peer m_daemon;
    QDBusConnection m_observer =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("observer"));

    int ownProxyCalls()
    {
        int count = 0;
        for (const QJsonObject &call : m_daemon.calls(QStringLiteral("SetSystemProxy")))
            count += call.value(QLatin1String("sender")).toString() ==
                     QDBusConnection::systemBus().baseService();
        return count;
    }

    // Asks from a second connection without blocking the event loop, which
    // serves the object in this same process.
    bool exported()
    {
        QDBusPendingCall call = m_observer.asyncCall(QDBusMessage::createMethodCall(
            kName, kPath, QStringLiteral("org.freedesktop.DBus.Introspectable"),
            QStringLiteral("Introspect")));
        QDBusPendingCallWatcher watcher(call);
        QSignalSpy finished(&watcher, &QDBusPendingCallWatcher::finished);
        if (!call.isFinished() && !finished.wait(10000))
            return false;
        const QDBusMessage reply = call.reply();
        return reply.type() == QDBusMessage::ReplyMessage &&
               reply.arguments().constFirst().toString().contains(
                   QStringLiteral("<interface name=\"%1\">").arg(kName));
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (!PrivateSystem::isActive())
            QSKIP("no private mount namespace with overlays over /etc and /usr/share");
        m_plugin.setLoadHints(QLibrary::PreventUnloadHint);
        m_register = reinterpret_cast<EntryPoint>(m_plugin.resolve("KpxRegister"));
        m_unregister = reinterpret_cast<EntryPoint>(m_plugin.resolve("KpxUnRegister"));
        QVERIFY2(m_register && m_unregister, qPrintable(m_plugin.errorString()));
        QVERIFY(m_daemon.start(QStringLiteral(DAEMON_PEER_PATH)));
        QVERIFY(!catalogue().isEmpty());
    }

    // First, while no connection of this process owns the name.
    void failedRegistrationLeavesNothing()
    {
        Host other;
        QVERIFY(other.start({}));
        QTRY_COMPARE(m_daemon.calls(QStringLiteral("SetSystemProxy")).size(), 1);
        QVERIFY(writeFile(kCatalogueDir + QStringLiteral("/ostrel-yarl-appstore-client_de_DE.qm"),
                          catalogue()));

        LogCapture log;
        QCOMPARE(m_register(nullptr, nullptr), 0);
        const QStringList lines = log.linesOf(kCategory);
        QCOMPARE(lines.size(), 2);
        QVERIFY(
            lines.at(0).startsWith(QLatin1String("critical|Register D-Bus service failed: \"")));
        QCOMPARE(lines.at(1), QStringLiteral("warning|Register D-Bus failed"));
        QTest::qWait(300);
        QCOMPARE(ownProxyCalls(), 0); // no bridge
        QCOMPARE(QCoreApplication::translate("QObject", "View"), QStringLiteral("View"));
        QCOMPARE(m_unregister(nullptr, nullptr), 0);
        QCOMPARE(other.stop(), 0);
        QFile::remove(kCatalogueDir + QStringLiteral("/ostrel-yarl-appstore-client_de_DE.qm"));
    }

    void registersUnregistersAndRegistersAgain()
    {
        // Only a fallback name is present: it must not be taken.
        QVERIFY(writeFile(kCatalogueDir + QStringLiteral("/ostrel-yarl-appstore-client_de.qm"),
                          catalogue()));
        QCOMPARE(m_register(nullptr, nullptr), 0);
        QTRY_COMPARE(ownProxyCalls(), 1);
        QVERIFY(exported());
        QCOMPARE(QCoreApplication::translate("QObject", "View"), QStringLiteral("View"));

        QCOMPARE(m_unregister(nullptr, nullptr), 0);
        QTRY_VERIFY(!exported());
        QCOMPARE(m_unregister(nullptr, nullptr), 0); // twice is harmless
        QTest::qWait(100);

        // The exact file for the locale de_DE.
        QVERIFY(writeFile(kCatalogueDir + QStringLiteral("/ostrel-yarl-appstore-client_de_DE.qm"),
                          catalogue()));
        QCOMPARE(m_register(nullptr, nullptr), 0);
        QTRY_COMPARE(ownProxyCalls(), 2); // a new bridge, not the destroyed one
        QVERIFY(exported());
        QCOMPARE(QCoreApplication::translate("QObject", "View"), QStringLiteral("Ansehen"));
        QCOMPARE(m_unregister(nullptr, nullptr), 0);
        QTRY_VERIFY(!exported());
    }

    void readsTheEditionCode_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("code");
        QTest::newRow("absent") << QByteArray() << 0;
        QTest::newRow("three") << QByteArray("EditionType=3\n") << 3;
        QTest::newRow("among others") << QByteArray("# edition\nName=Pro\nEditionType = 4\n") << 0;
        QTest::newRow("spaces after") << QByteArray("Name=x\nEditionType= 2 \n") << 2;
        QTest::newRow("not a number") << QByteArray("EditionType=three\n") << 0;
    }

    void readsTheEditionCode()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, code);
        QFile::remove(QStringLiteral("/etc/ostrel-edition"));
        if (!content.isNull())
            QVERIFY(writeFile(QStringLiteral("/etc/ostrel-edition"), content));
        QCOMPARE(Vmo::Core::VSysInfo::evnEditionType(), code);
    }

    void recognisesWaylandSessions_data()
    {
        QTest::addColumn<QByteArray>("sessionType");
        QTest::addColumn<QByteArray>("display");
        QTest::addColumn<bool>("wayland");
        QTest::newRow("neither") << QByteArray() << QByteArray() << false;
        QTest::newRow("session type") << QByteArray("wayland") << QByteArray() << true;
        QTest::newRow("session type capitalised") << QByteArray("Wayland") << QByteArray() << false;
        QTest::newRow("x11") << QByteArray("x11") << QByteArray(":0") << false;
        QTest::newRow("display") << QByteArray("tty") << QByteArray("wayland-0") << true;
        QTest::newRow("display capitals") << QByteArray() << QByteArray("WAYLAND-1") << true;
    }

    void recognisesWaylandSessions()
    {
        QFETCH(QByteArray, sessionType);
        QFETCH(QByteArray, display);
        QFETCH(bool, wayland);
        for (const auto &[name, value] : {std::make_pair("XDG_SESSION_TYPE", sessionType),
                                          std::make_pair("WAYLAND_DISPLAY", display)}) {
            if (value.isNull())
                qunsetenv(name);
            else
                qputenv(name, value);
        }
        QCOMPARE(isWaylandSession(), wayland);
    }
};

PRIVATE_SYSTEM_TEST_MAIN(TestPluginFrame)

#include "tst_plugin_frame.moc"
