// The log manager's file and journal appenders in this process. The journal's
// socket is our own, in a private mount namespace.

#include "private_journal.h"

#include <vlogmanager.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using Vmo::Core::VLogManager;

namespace {

Q_LOGGING_CATEGORY(probe, "probe.manager")

PrivateJournal *g_journal = nullptr;
QString g_cache;

// Where a message was logged, as the logging framework records it.
struct Origin
{
    int line;
    QByteArray function;
};

Origin logAs(QtMsgType type, const QString &text)
{
    switch (type) {
    case QtDebugMsg:
        qCDebug(probe).noquote() << text;
        return {__LINE__ - 1, Q_FUNC_INFO};
    case QtInfoMsg:
        qCInfo(probe).noquote() << text;
        return {__LINE__ - 1, Q_FUNC_INFO};
    case QtWarningMsg:
        qCWarning(probe).noquote() << text;
        return {__LINE__ - 1, Q_FUNC_INFO};
    default:
        qCCritical(probe).noquote() << text;
        return {__LINE__ - 1, Q_FUNC_INFO};
    }
}

QString logDir()
{
    return g_cache + QStringLiteral("/ostrel-test/tst_log_manager");
}

QString logPath()
{
    return logDir() + QStringLiteral("/tst_log_manager.log");
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestLogManager : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // Only umask would keep the modes tight otherwise.
        umask(0);
        VLogManager::registerFileAppender();
        VLogManager::registerFileAppender(); // a second time changes nothing
    }

    void writesTheFileWhereDocumented_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("mode");
        QTest::newRow("cache folder") << g_cache << 0700;
        QTest::newRow("organisation folder") << QFileInfo(logDir()).path() << 0700;
        QTest::newRow("application folder") << logDir() << 0700;
        QTest::newRow("log file") << logPath() << 0600;
    }

    void writesTheFileWhereDocumented()
    {
        QFETCH(QString, path);
        QFETCH(int, mode);
        logAs(QtWarningMsg, QStringLiteral("into the file"));
        QVERIFY(contents(logPath()).contains("probe.manager: into the file\n"));
        struct stat status;
        QCOMPARE(stat(QFile::encodeName(path).constData(), &status), 0);
        QCOMPARE(int(status.st_mode & 07777), mode);
    }

    void rotatesAtItsBound()
    {
        // Each round writes more than one file holds, and less than two.
        const QString filler(1000, QLatin1Char('x'));
        const int count = int(VLogManager::kMaxFileSize / filler.size());
        QList<int> expected;
        for (int i = 0; i < count; ++i)
            expected.append(i);
        QByteArray both;
        for (const char *round : {"a", "b"}) {
            for (int i = 0; i < count; ++i)
                logAs(QtDebugMsg,
                      QStringLiteral("%1%2 %3").arg(QLatin1String(round)).arg(i).arg(filler));
            const QByteArray rotated = contents(logPath() + QStringLiteral(".1"));
            const QByteArray current = contents(logPath());
            QVERIFY(rotated.size() <= VLogManager::kMaxFileSize);
            QVERIFY(current.size() <= VLogManager::kMaxFileSize);
            QCOMPARE(QDir(logDir()).entryList(QDir::Files),
                     QStringList({QStringLiteral("tst_log_manager.log"),
                                  QStringLiteral("tst_log_manager.log.1")}));
            // Every message of the round, in order, across the two files.
            both = rotated + current;
            const QByteArray head = QByteArray("manager: ") + round;
            QList<int> logged;
            for (const QByteArray &line : both.split('\n')) {
                const int at = line.indexOf(head);
                if (at >= 0)
                    logged.append(line.mid(at + head.size()).split(' ').constFirst().toInt());
            }
            QCOMPARE(logged, expected);
        }
        // The first rotated file was replaced by the second.
        QVERIFY(!both.contains("manager: a0 "));
    }

    void sendsJournalRecords_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("priority");
        QTest::newRow("debug") << int(QtDebugMsg) << QStringLiteral("plain") << QByteArray("7");
        QTest::newRow("info") << int(QtInfoMsg) << QStringLiteral("plain") << QByteArray("6");
        QTest::newRow("warning") << int(QtWarningMsg) << QStringLiteral("plain") << QByteArray("4");
        QTest::newRow("critical") << int(QtCriticalMsg) << QStringLiteral("plain")
                                  << QByteArray("2");
        QTest::newRow("two lines, not ASCII")
            << int(QtWarningMsg) << QStringLiteral("erste Zeile\nzweite Zeile: ä = %s")
            << QByteArray("4");
    }

    void sendsJournalRecords()
    {
        QFETCH(int, type);
        QFETCH(QString, text);
        QFETCH(QByteArray, priority);
        if (!g_journal->isValid())
            QSKIP("no private mount namespace for the journal's socket");
        VLogManager::registerJournalAppender();
        g_journal->takeRecords();
        const Origin origin = logAs(QtMsgType(type), text);
        const QList<PrivateJournal::Record> records = g_journal->takeRecords();
        QCOMPARE(records.size(), 1);
        const PrivateJournal::Record expected = {
            {"MESSAGE", text.toUtf8()},
            {"PRIORITY", priority},
            {"QT_CATEGORY", "probe.manager"},
            {"CODE_FILE", __FILE__},
            {"CODE_LINE", QByteArray::number(origin.line)},
            {"CODE_FUNC", origin.function},
            {"SYSLOG_IDENTIFIER", "tst_log_manager"},
        };
        QCOMPARE(records.first(), expected);
    }
};

int main(int argc, char *argv[])
{
    PrivateJournal journal;
    g_journal = &journal;
    QTemporaryDir scratch;
    g_cache = scratch.path() + QStringLiteral("/cache"); // created by the file appender
    qputenv("XDG_CACHE_HOME", QFile::encodeName(g_cache));
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("ostrel-test"));
    QCoreApplication::setApplicationName(QStringLiteral("tst_log_manager"));
    TestLogManager test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_log_manager.moc"
