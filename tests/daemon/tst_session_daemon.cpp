// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// The daemon as a process of its own: the program on private buses with
// private dconf, its journal records arriving at a socket of this test in a
// private mount namespace; and the application object in this process, made
// when the bridge already exists.

#include "appstore_daemon_interface.h"
#include "own_user.h"
#include "private_desktop.h"
#include "private_journal.h"
#include "session_daemon_application.h"
#include "session_processes.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kRulesPath = QStringLiteral("/ostrel-app-store/org.ostrel.app-store/log_rules");
const QString kDebugOff = QStringLiteral("com.ostrel.app-store.session-daemon.debug=false");

PrivateJournal *g_journal = nullptr;

bool dconf(const QStringList &arguments)
{
    return runTool(QStringLiteral("dconf"), arguments) == 0;
}

// Whether the process has handlers for SIGINT, SIGABRT and SIGTERM.
bool catchesTerminationSignals(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    status.open(QIODevice::ReadOnly);
    const QByteArray text = status.readAll();
    const int at = text.indexOf("SigCgt:");
    const quint64 caught =
        text.mid(at + 7, text.indexOf('\n', at) - at - 7).trimmed().toULongLong(nullptr, 16);
    const quint64 wanted = 1ull << (SIGINT - 1) | 1ull << (SIGABRT - 1) | 1ull << (SIGTERM - 1);
    return at >= 0 && (caught & wanted) == wanted;
}

// Makes the bridge report the proxy environment again, with a debug line.
bool emitUserChanged()
{
    const QString user = ownSessionUserName();
    return QDBusConnection::systemBus()
               .call(QDBusMessage::createMethodCall(QStringLiteral("org.ostrel.kse.LockService1"),
                                                    QStringLiteral("/org/ostrel/kse/LockService1"),
                                                    QStringLiteral("org.ostrel.test.LockService"),
                                                    QStringLiteral("EmitUserChanged"))
                     << user.trimmed())
               .type() == QDBusMessage::ReplyMessage;
}

// One run of the program, with standard error and the cache folder kept.
struct Run
{
    QTemporaryDir cache;
    QProcess process;
    QString stderrPath = cache.filePath(QStringLiteral("stderr"));

    QByteArray read(const QString &path) const
    {
        QFile file(cache.filePath(path));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QByteArray console() const { return read(QStringLiteral("stderr")); }

    bool start(const QStringList &arguments, QProcessEnvironment environment)
    {
        environment.insert(QStringLiteral("QT_MESSAGE_PATTERN"),
                           QStringLiteral("%{category}|%{type}|%{message}"));
        environment.insert(QStringLiteral("XDG_CACHE_HOME"), cache.path());
        process.setProcessEnvironment(environment);
        process.setStandardErrorFile(stderrPath);
        process.start(QStringLiteral(DAEMON_APP_PATH), arguments);
        return process.waitForStarted();
    }

    // Sends the signal once the program handles it; true when it then ended
    // with exit status 0.
    bool endWith(int signal)
    {
        const qint64 pid = process.processId();
        if (!QTest::qWaitFor([pid] { return catchesTerminationSignals(pid); }, 10000))
            return false;
        kill(pid_t(pid), signal);
        return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit &&
               process.exitCode() == 0;
    }

    // How often the line of the signal reached the console, the log file
    // and the journal, with the program's identity and debug priority.
    QList<int> signalLines(int signal) const
    {
        const QByteArray message = QStringLiteral("\"SIGNAL %1 recv, exit\"").arg(signal).toUtf8();
        int inJournal = 0;
        for (const PrivateJournal::Record &record : g_journal->takeRecords())
            inJournal += record.value("MESSAGE") == message && record.value("PRIORITY") == "7" &&
                         record.value("SYSLOG_IDENTIFIER") == "ostrel-appstore-session-daemon";
        const QByteArray line = "com.ostrel.app-store.session-daemon|debug|" + message + '\n';
        return {console().count(line),
                read(QStringLiteral("ostrel/ostrel-appstore-session-daemon/"
                                    "ostrel-appstore-session-daemon.log"))
                    .count(" " + line),
                inJournal};
    }
};

} // namespace

class TestSessionDaemon : public QObject
{
    Q_OBJECT

public:
    explicit TestSessionDaemon(AppstoreDaemonInterface *bridge)
        : m_bridge(bridge)
    {}

private:
    AppstoreDaemonInterface *m_bridge;

private Q_SLOTS:
    void init()
    {
        QVERIFY(dconf({QStringLiteral("reset"), kRulesPath}));
        g_journal->takeRecords();
    }

    void takesTheExistingBridge() { QCOMPARE(AppstoreDaemonInterface::instance(), m_bridge); }

    void logsTheSignalAndEnds_data()
    {
        QTest::addColumn<int>("signal");
        QTest::addColumn<QString>("environmentRules");
        QTest::addColumn<QString>("configurationRules");
        QTest::addColumn<bool>("stderrIsJournal");
        QTest::addColumn<QList<int>>("lines"); // on the console, in the file, in the journal
        const QList<int> everywhere = {1, 1, 1};
        QTest::newRow("SIGTERM") << SIGTERM << QString() << QString() << false << everywhere;
        QTest::newRow("SIGINT") << SIGINT << QString() << QString() << false << everywhere;
        QTest::newRow("SIGABRT") << SIGABRT << QString() << QString() << false << everywhere;
        QTest::newRow("configuration over environment")
            << SIGTERM << kDebugOff << "'com.ostrel.app-store.session-daemon.debug=true'" << false
            << everywhere;
        QTest::newRow("configuration off")
            << SIGTERM << QString() << "'" + kDebugOff + "'" << false << QList<int>({0, 0, 0});
        QTest::newRow("standard error is the journal")
            << SIGTERM << QString() << QString() << true << QList<int>({0, 1, 1});
    }

    void logsTheSignalAndEnds()
    {
        QFETCH(int, signal);
        QFETCH(QString, environmentRules);
        QFETCH(QString, configurationRules);
        QFETCH(bool, stderrIsJournal);
        QFETCH(QList<int>, lines);
        if (!configurationRules.isNull())
            QVERIFY(dconf({QStringLiteral("write"), kRulesPath, configurationRules}));
        Run run;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (!environmentRules.isNull())
            environment.insert(QStringLiteral("QT_LOGGING_RULES"), environmentRules);
        QFile stream(stderrIsJournal ? run.stderrPath : run.cache.filePath(QStringLiteral("x")));
        struct stat status = {};
        QVERIFY(stream.open(QIODevice::WriteOnly) &&
                stat(QFile::encodeName(stream.fileName()).constData(), &status) == 0);
        environment.insert(QStringLiteral("JOURNAL_STREAM"),
                           QStringLiteral("%1:%2").arg(status.st_dev).arg(status.st_ino));
        QVERIFY(run.start({}, environment));
        QTRY_VERIFY(catchesTerminationSignals(run.process.processId()));
        QVERIFY(!QDBusConnection::sessionBus().interface()->isServiceRegistered(
            QStringLiteral("com.ostrel.appstore.daemon")));
        QVERIFY(run.endWith(signal));
        QCOMPARE(run.signalLines(signal), lines);
    }

    void dropsTheEnvironmentsRulesOnAChange()
    {
        Peer lockService;
        QVERIFY(lockService.start(QStringLiteral(LOCK_PEER_PATH)));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_LOGGING_RULES"), kDebugOff);
        Run run;
        QVERIFY(run.start({}, environment));
        QTRY_VERIFY(catchesTerminationSignals(run.process.processId()));
        const QByteArray report = "com.ostrel.app-store.session-daemon|debug|System Proxy:";
        QVERIFY(!run.console().contains(report)); // the bridge's first report
        QVERIFY(dconf({QStringLiteral("write"), kRulesPath, QStringLiteral("''")}));
        QTRY_VERIFY_WITH_TIMEOUT(emitUserChanged() && run.console().contains(report), 10000);
        QVERIFY(run.endWith(SIGTERM));
    }

    void answersItsCommandLine_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("output");
        QTest::newRow("--help") << "--help" << 0
                                << QByteArray("Usage: ostrel-appstore-session-daemon [--help]\n");
        QTest::newRow("unknown") << "--verbose" << 2 << QByteArray();
    }

    // Nothing starts: no log file, no journal record.
    void answersItsCommandLine()
    {
        QFETCH(QString, argument);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, output);
        Run run;
        QVERIFY(run.start({argument}, QProcessEnvironment::systemEnvironment()));
        QVERIFY(run.process.waitForFinished());
        QCOMPARE(run.process.exitCode(), exitCode);
        QVERIFY(run.process.readAllStandardOutput().startsWith(output));
        QCOMPARE(QDir(run.cache.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
                 QStringList());
        QVERIFY(g_journal->takeRecords().isEmpty());
    }
};

int main(int argc, char *argv[])
{
    PrivateJournal journal;
    if (!journal.isValid()) {
        // The program would write into the machine's journal.
        std::printf("SKIP: no private mount namespace for the journal's socket\n");
        return 0;
    }
    g_journal = &journal;
    PrivateDesktop desktop;
    if (!desktop.isValid())
        return 1;
    const QPointer<AppstoreDaemonInterface> bridge = AppstoreDaemonInterface::instance();
    int status;
    {
        SessionDaemonApplication app(argc, argv);
        TestSessionDaemon test(bridge);
        status = QTest::qExec(&test, argc, argv);
    }
    if (bridge) {
        std::printf("FAIL: the bridge outlived the application object\n");
        return 1;
    }
    return status;
}

#include "tst_session_daemon.moc"
