// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// The cache commands' time limit, with a short limit in place of the run's 10
// minutes: a command that does not end is stopped with everything it
// started, and the next one runs.

#include "message_log.h"
#include "system_caches.h"
#include "tree_util.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>

using namespace TreeUtil;

class TestCacheCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void stopsACommandThatRunsTooLong_data()
    {
        QTest::addColumn<QByteArray>("command"); // %1: a file for the group's process ids
        QTest::addColumn<bool>("stopped");
        QTest::newRow("never ends, with a child in the background")
            << QByteArray("echo $$ > %1; sleep 600 & echo $! >> %1; sleep 600") << true;
        QTest::newRow("a child that ignores termination")
            << QByteArray("echo $$ > %1; (trap '' TERM HUP; sleep 600) & echo $! >> %1; wait")
            << true;
        QTest::newRow("ends in time") << QByteArray("echo $$ > %1") << false;
        QTest::newRow("fails") << QByteArray("echo $$ > %1; exit 3") << false;
    }

    void stopsACommandThatRunsTooLong()
    {
        QFETCH(QByteArray, command);
        QFETCH(bool, stopped);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QByteArray pids = QFile::encodeName(dir.filePath(QStringLiteral("pids")));
        const QByteArray next = QFile::encodeName(dir.filePath(QStringLiteral("next")));
        command.replace("%1", pids);
        MessageLog log;
        runCacheCommands({command, "touch " + next}, std::chrono::milliseconds(500));

        QCOMPARE(log.lines(),
                 stopped
                     ? QStringList{QStringLiteral("void runCacheCommands(const QList<QByteArray>&, "
                                                  "std::chrono::milliseconds)|cache command ran "
                                                  "too long, stopped: \"%1\"")
                                       .arg(QString::fromUtf8(command))}
                     : QStringList());
        QVERIFY(lexists(next));
        QFile file(QFile::decodeName(pids));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().trimmed().split('\n');
        // The command's process group, and every process it started, are gone.
        QCOMPARE(kill(-pid_t(lines.first().toInt()), 0), -1);
        QCOMPARE(errno, ESRCH);
        for (const QByteArray &pid : lines) {
            QCOMPARE(kill(pid_t(pid.toInt()), 0), -1);
            QCOMPARE(errno, ESRCH);
        }
    }
};

QTEST_GUILESS_MAIN(TestCacheCommands)
#include "tst_cache_commands.moc"
