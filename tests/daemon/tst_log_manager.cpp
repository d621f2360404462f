// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// The log manager's file and journal appenders in this process. The journal's
// socket is our own, in a private mount namespace.

#include "private_journal.h"

#include <vlogmanager.h>

#include <QCoreApplication>
#include <QDir>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using Vmo::Core::VLogManager;

namespace {

Q_LOGGING_CATEGORY(probe, "probe.manager")

PrivateJournal *g_journal = nullptr;
QString g_cache;

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
        umask(0); // the modes must not depend on it
        VLogManager::registerFileAppender();
        VLogManager::registerFileAppender(); // a second time changes nothing
        qCWarning(probe, "into the file");
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
        QVERIFY(contents(logPath()).contains(" probe.manager: into the file\n"));
        struct stat status = {};
        QCOMPARE(stat(QFile::encodeName(path).constData(), &status), 0);
        QCOMPARE(int(status.st_mode & 07777), mode);
    }

    void rotatesAtItsBound()
    {
        // Each round writes more than one file holds, and less than two.
        const int count = int(VLogManager::kMaxFileSize / 1000);
        QList<int> expected;
        for (int i = 0; i < count; ++i)
            expected.append(i);
        QByteArray both;
        for (const char *round : {"a", "b"}) {
            for (int i = 0; i < count; ++i)
                qCDebug(probe, "%s%d %s", round, i, QByteArray(1000, 'x').constData());
            const QByteArray rotated = contents(logPath() + QStringLiteral(".1"));
            const QByteArray current = contents(logPath());
            QVERIFY(rotated.size() <= VLogManager::kMaxFileSize);
            QVERIFY(current.size() <= VLogManager::kMaxFileSize);
            QCOMPARE(QDir(logDir()).entryList(QDir::Files),
                     QStringList({QStringLiteral("tst_log_manager.log"),
                                  QStringLiteral("tst_log_manager.log.1")}));
            // Every message of the round, in order, across the two files.
            both = rotated + current;
            QList<int> logged;
            for (const QByteArray &line : both.split('\n')) {
                if (line.contains(QByteArray(" probe.manager: ") + round))
                    logged.append(line.split(' ').at(2).mid(1).toInt());
            }
            QCOMPARE(logged, expected);
        }
        QVERIFY(!both.contains(" probe.manager: a0 ")); // the first rotated file was replaced
    }

    void sendsJournalRecords_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QByteArray>("priority");
        QTest::newRow("debug") << int(QtDebugMsg) << QByteArray("7");
        QTest::newRow("info") << int(QtInfoMsg) << QByteArray("6");
        QTest::newRow("warning") << int(QtWarningMsg) << QByteArray("4");
        QTest::newRow("critical") << int(QtCriticalMsg) << QByteArray("2");
    }

    void sendsJournalRecords()
    {
        QFETCH(int, type);
        QFETCH(QByteArray, priority);
        if (!g_journal->isValid())
            QSKIP("no private mount namespace for the journal's socket");
        VLogManager::registerJournalAppender();
        g_journal->takeRecords();
        const QMessageLogContext context(__FILE__, __LINE__, Q_FUNC_INFO, "probe.manager");
        qt_message_output(QtMsgType(type), context, QStringLiteral("ä = %s"));
        const QList<PrivateJournal::Record> records = g_journal->takeRecords();
        QCOMPARE(records.size(), 1);
        const PrivateJournal::Record expected = {
            {"MESSAGE", "ä = %s"},
            {"PRIORITY", priority},
            {"QT_CATEGORY", "probe.manager"},
            {"CODE_FILE", __FILE__},
            {"CODE_LINE", QByteArray::number(context.line)},
            {"CODE_FUNC", Q_FUNC_INFO},
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
    g_cache = scratch.path() + QStringLiteral("/cache"); // made by the file appender
    qputenv("XDG_CACHE_HOME", QFile::encodeName(g_cache));
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("ostrel-test"));
    QCoreApplication::setApplicationName(QStringLiteral("tst_log_manager"));
    TestLogManager test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_log_manager.moc"
