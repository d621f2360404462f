// The daemon as a process of its own: the program on private buses with
// private dconf, its journal records arriving at a socket of this test in a
// private mount namespace; and the application object in this process, made
// when the bridge already exists.

#include "appstore_daemon_interface.h"
#include "private_desktop.h"
#include "private_journal.h"
#include "session_daemon_application.h"
#include "session_processes.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kRulesPath = QStringLiteral("/ostrel-app-store/org.ostrel.app-store/log_rules");
const QString kDebugOff = QStringLiteral("com.ostrel.app-store.session-daemon.debug=false");

PrivateJournal *g_journal = nullptr;

// Whether the process has handlers for SIGINT, SIGABRT and SIGTERM.
bool catchesTerminationSignals(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("SigCgt:")) {
            const quint64 caught = line.mid(7).trimmed().toULongLong(nullptr, 16);
            const quint64 wanted =
                1ull << (SIGINT - 1) | 1ull << (SIGABRT - 1) | 1ull << (SIGTERM - 1);
            return (caught & wanted) == wanted;
        }
    }
    return false;
}

// One run of the program until a signal, with what it wrote where.
struct Run
{
    QTemporaryDir cache;
    QProcess process;
    QString stderrPath = cache.filePath(QStringLiteral("stderr"));
    QList<PrivateJournal::Record> journal;

    QByteArray logFile() const
    {
        QFile file(cache.filePath(QStringLiteral(
            "ostrel/ostrel-appstore-session-daemon/ostrel-appstore-session-daemon.log")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QByteArray console() const
    {
        QFile file(stderrPath);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    void start(const QStringList &arguments, QProcessEnvironment environment)
    {
        environment.insert(QStringLiteral("QT_MESSAGE_PATTERN"),
                           QStringLiteral("%{category}|%{type}|%{message}"));
        environment.insert(QStringLiteral("XDG_CACHE_HOME"), cache.path());
        process.setProcessEnvironment(environment);
        process.setStandardErrorFile(stderrPath);
        process.start(QStringLiteral(DAEMON_APP_PATH), arguments);
        QVERIFY(process.waitForStarted());
    }

    // Sends the signal once the program handles it; true when it then ended
    // with exit status 0.
    bool endWith(int signal)
    {
        const qint64 pid = process.processId();
        if (!QTest::qWaitFor([pid] { return catchesTerminationSignals(pid); }, 10000))
            return false;
        kill(pid_t(pid), signal);
        const bool ended = process.waitForFinished(10000) &&
                           process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
        journal = g_journal->takeRecords();
        return ended;
    }

    // How often the line of the signal reached the console, the log file
    // and the journal.
    QList<int> signalLines(int signal) const
    {
        const QByteArray message = QStringLiteral("\"SIGNAL %1 recv, exit\"").arg(signal).toUtf8();
        int inJournal = 0;
        for (const PrivateJournal::Record &record : journal) {
            if (record.value("MESSAGE") == message) {
                ++inJournal;
                if (record.value("SYSLOG_IDENTIFIER") != "ostrel-appstore-session-daemon" ||
                    record.value("PRIORITY") != "7")
                    return {};
            }
        }
        const QByteArray line = "com.ostrel.app-store.session-daemon|debug|" + message + '\n';
        return {console().split('\n').count(line.chopped(1)), logFile().count(" " + line),
                inJournal};
    }
};

void dconf(const QStringList &arguments)
{
    QCOMPARE(runTool(QStringLiteral("dconf"), arguments), 0);
}

// The session's user as the bridge finds it.
QString sessionUser()
{
    const char *login = getlogin();
    const passwd *entry = getpwuid(getuid());
    return QString::fromLocal8Bit(login ? login : entry ? entry->pw_name : "").trimmed();
}

// Makes the bridge report the proxy environment again, with a debug line.
bool emitUserChanged()
{
    return QDBusConnection::systemBus()
               .call(QDBusMessage::createMethodCall(QStringLiteral("org.ostrel.kse.LockService1"),
                                                    QStringLiteral("/org/ostrel/kse/LockService1"),
                                                    QStringLiteral("org.ostrel.test.LockService"),
                                                    QStringLiteral("EmitUserChanged"))
                     << sessionUser())
               .type() == QDBusMessage::ReplyMessage;
}

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
        dconf({QStringLiteral("reset"), kRulesPath});
        g_journal->takeRecords();
    }

    void takesTheExistingBridge() { QCOMPARE(AppstoreDaemonInterface::instance(), m_bridge); }

    void endsOnTerminationSignals_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGINT") << SIGINT;
        QTest::newRow("SIGABRT") << SIGABRT;
    }

    void endsOnTerminationSignals()
    {
        QFETCH(int, signal);
        Run run;
        run.start({}, QProcessEnvironment::systemEnvironment());
        QTRY_VERIFY(catchesTerminationSignals(run.process.processId()));
        QVERIFY(!QDBusConnection::sessionBus().interface()->isServiceRegistered(
            QStringLiteral("com.ostrel.appstore.daemon")));
        QVERIFY(run.endWith(signal));
        QCOMPARE(run.signalLines(signal), QList<int>({1, 1, 1}));
    }

    void followsTheLogRules_data()
    {
        QTest::addColumn<QString>("environmentRules");
        QTest::addColumn<QString>("configurationRules");
        QTest::addColumn<QList<int>>("lines");
        QTest::newRow("none") << QString() << QString() << QList<int>({1, 1, 1});
        QTest::newRow("configuration over environment")
            << kDebugOff << "'com.ostrel.app-store.session-daemon.debug=true'"
            << QList<int>({1, 1, 1});
        QTest::newRow("configuration off")
            << QString() << "'" + kDebugOff + "'" << QList<int>({0, 0, 0});
    }

    void followsTheLogRules()
    {
        QFETCH(QString, environmentRules);
        QFETCH(QString, configurationRules);
        QFETCH(QList<int>, lines);
        if (!configurationRules.isNull())
            dconf({QStringLiteral("write"), kRulesPath, configurationRules});
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (!environmentRules.isNull())
            environment.insert(QStringLiteral("QT_LOGGING_RULES"), environmentRules);
        Run run;
        run.start({}, environment);
        QVERIFY(run.endWith(SIGTERM));
        QCOMPARE(run.signalLines(SIGTERM), lines);
    }

    // After a change of "log_rules" the rules of the environment are gone.
    void dropsTheEnvironmentsRulesOnAChange()
    {
        Peer lockService;
        QVERIFY(lockService.start(QStringLiteral(LOCK_PEER_PATH)));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_LOGGING_RULES"), kDebugOff);
        Run run;
        run.start({}, environment);
        QTRY_VERIFY(catchesTerminationSignals(run.process.processId()));
        const QByteArray report = "com.ostrel.app-store.session-daemon|debug|System Proxy:";
        QVERIFY(!run.console().contains(report)); // the bridge's first report
        dconf({QStringLiteral("write"), kRulesPath, QStringLiteral("''")});
        QTRY_VERIFY_WITH_TIMEOUT(emitUserChanged() && run.console().contains(report), 10000);
        QVERIFY(run.endWith(SIGTERM));
    }

    void leavesTheJournalStreamToTheJournal_data()
    {
        QTest::addColumn<bool>("stderrIsJournal");
        QTest::addColumn<QList<int>>("lines");
        QTest::newRow("standard error is the journal's stream") << true << QList<int>({0, 1, 1});
        QTest::newRow("another stream is the journal's") << false << QList<int>({1, 1, 1});
    }

    void leavesTheJournalStreamToTheJournal()
    {
        QFETCH(bool, stderrIsJournal);
        QFETCH(QList<int>, lines);
        Run run;
        const QString stream = stderrIsJournal ? run.stderrPath : run.cache.filePath("other");
        QFile file(stream);
        QVERIFY(file.open(QIODevice::WriteOnly));
        struct stat status;
        QCOMPARE(stat(QFile::encodeName(stream).constData(), &status), 0);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("JOURNAL_STREAM"),
                           QStringLiteral("%1:%2").arg(status.st_dev).arg(status.st_ino));
        run.start({}, environment);
        QVERIFY(run.endWith(SIGTERM));
        QCOMPARE(run.signalLines(SIGTERM), lines);
    }

    void answersItsCommandLine_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("output");
        QTest::addColumn<QByteArray>("error");
        QTest::newRow("--help") << "--help" << 0
                                << QByteArray("Usage: ostrel-appstore-session-daemon [--help]\n")
                                << QByteArray();
        QTest::newRow("-h") << "-h" << 0
                            << QByteArray("Usage: ostrel-appstore-session-daemon [--help]\n")
                            << QByteArray();
        QTest::newRow("unknown") << "--verbose" << 2 << QByteArray()
                                 << QByteArray("ostrel-appstore-session-daemon: unknown argument "
                                               "--verbose (see --help)\n");
    }

    // Nothing starts: no log file, no journal record.
    void answersItsCommandLine()
    {
        QFETCH(QString, argument);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, output);
        QFETCH(QByteArray, error);
        Run run;
        run.start({argument}, QProcessEnvironment::systemEnvironment());
        QVERIFY(run.process.waitForFinished());
        QCOMPARE(run.process.exitCode(), exitCode);
        QVERIFY(run.process.readAllStandardOutput().startsWith(output));
        QCOMPARE(run.console(), error);
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
