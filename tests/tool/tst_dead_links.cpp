// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// The scan of one directory for dangling links, on temporary trees.

#include "clean_link.h"
#include "tree_util.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace TreeUtil;

namespace {

// Plans and makes the removals in dir; the paths whose removal failed.
QList<QByteArray> removeDeadLinks(const QByteArray &dir)
{
    RunState run(RunMode::Apply, QByteArray());
    planDeadLinkRemoval(dir, run);
    QList<QByteArray> failed;
    for (const Step &step : run.makePlanned())
        failed.append(step.path);
    return failed;
}

} // namespace

class TestDeadLinks : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_tmp;
    QByteArray m_dir;

private Q_SLOTS:
    // Names that are not UTF-8 are beyond QTemporaryDir's own removal.
    void cleanupTestCase() { removeTree(QFile::encodeName(m_tmp.path())); }

    void init()
    {
        QVERIFY(m_tmp.isValid());
        m_dir = QFile::encodeName(m_tmp.path()) + "/" + QTest::currentTestFunction() + "-" +
                QTest::currentDataTag();
        makeDir(m_dir);
    }

    void removesOnlyDanglingLinks()
    {
        writeFile(m_dir + "/real.desktop");
        makeLink(m_dir + "/real.desktop", m_dir + "/valid.desktop");
        makeLink("/opt/apps/gone/entries/applications/x.desktop", m_dir + "/x.desktop");
        makeLink("missing", m_dir + "/hicolor/48x48/apps/deep.png");
        makeLink("loop-b", m_dir + "/loop-a");
        makeLink("loop-a", m_dir + "/loop-b");
        makeLink("real.desktop/below", m_dir + "/not-a-dir");
        QCOMPARE(mkfifo((m_dir + "/pipe").constData(), 0644), 0);

        QVERIFY(removeDeadLinks(m_dir).isEmpty());
        QCOMPARE(snapshot(m_dir).keys(),
                 QList<QByteArray>({"hicolor", "hicolor/48x48", "hicolor/48x48/apps", "pipe",
                                    "real.desktop", "valid.desktop"}));
    }

    void removesEveryListedLinkOfADeadChain()
    {
        makeLink("gone", m_dir + "/c");
        makeLink("c", m_dir + "/b");
        makeLink("b", m_dir + "/a");
        removeDeadLinks(m_dir);
        QVERIFY(snapshot(m_dir).isEmpty());
    }

    void leavesDotNamesAlone()
    {
        makeLink("gone", m_dir + "/.hidden");
        makeLink("gone", m_dir + "/.cache/inside");
        removeDeadLinks(m_dir);
        QVERIFY(isLink(m_dir + "/.hidden"));
        QVERIFY(isLink(m_dir + "/.cache/inside"));
    }

    void removesWhatAnInterruptedRunLeft()
    {
        // A replacement link and a directory being built, deep and at the top.
        writeFile(m_dir + "/real.page");
        makeLink(m_dir + "/real.page", m_dir + "/.app-entries-linker-1f");
        makeLink(m_dir + "/real.page", m_dir + "/C/.app-entries-linker-2e/real.page");
        makeLink("gone", m_dir + "/C/.app-entries-linker-2e/dead.page");
        // Not the linker's, so neither removed nor reported: another dot
        // name, and temporary names holding a file or a directory.
        makeLink(m_dir + "/real.page", m_dir + "/.app-entries-linker");
        writeFile(m_dir + "/.app-entries-linker-3d/file");
        makeLink("gone", m_dir + "/.app-entries-linker-4c/sub/dead");

        QCOMPARE(removeDeadLinks(m_dir), QList<QByteArray>());
        QCOMPARE(snapshot(m_dir).keys(),
                 QList<QByteArray>({".app-entries-linker", ".app-entries-linker-3d",
                                    ".app-entries-linker-3d/file", ".app-entries-linker-4c",
                                    ".app-entries-linker-4c/sub", ".app-entries-linker-4c/sub/dead",
                                    "C", "real.page"}));
    }

    void neverWalksIntoDirectoryLinks()
    {
        const QByteArray app = m_dir + "-app/help/foo";
        makeLink("gone", app + "/dangling-inside");
        makeLink(app, m_dir + "/foo");
        removeDeadLinks(m_dir);
        QVERIFY(isLink(m_dir + "/foo"));
        QVERIFY(isLink(app + "/dangling-inside"));

        QVERIFY(QDir(QFile::decodeName(m_dir + "-app")).removeRecursively());
        removeDeadLinks(m_dir);
        QVERIFY(!lexists(m_dir + "/foo"));
    }

    void followsALinkedRoot()
    {
        makeLink("gone", m_dir + "/real/dead");
        makeLink(m_dir + "/real", m_dir + "/root-link");
        removeDeadLinks(m_dir + "/root-link");
        QVERIFY(!lexists(m_dir + "/real/dead"));
    }

    void missingDirectoryYieldsNothing() { QVERIFY(removeDeadLinks(m_dir + "/none").isEmpty()); }

    void matchesNamesByTheirBytes_data()
    {
        QTest::addColumn<QByteArray>("dead");
        QTest::addColumn<QByteArray>("alive");
        QTest::newRow("invalid dead, lookalike alive")
            << QByteArray("x\xff") << QByteArray("x\xef\xbf\xbd");
        QTest::newRow("lookalike dead, invalid alive")
            << QByteArray("x\xef\xbf\xbd") << QByteArray("x\xff");
        QTest::newRow("latin-1 dead") << QByteArray("caf\xe9") << QByteArray("caf\xc3\xa9");
        QTest::newRow("quotes and newline") << QByteArray("a \"b\"\nc") << QByteArray("a \"b\" c");
    }

    void matchesNamesByTheirBytes()
    {
        QFETCH(QByteArray, dead);
        QFETCH(QByteArray, alive);
        writeFile(m_dir + "/target");
        makeLink(m_dir + "/target", m_dir + "/" + alive);
        makeLink(m_dir + "/gone", m_dir + "/" + dead);
        makeLink(m_dir + "/gone", m_dir + "/sub " + dead + "/" + dead);
        QVERIFY(removeDeadLinks(m_dir).isEmpty());
        QVERIFY(!lexists(m_dir + "/" + dead));
        QVERIFY(!lexists(m_dir + "/sub " + dead + "/" + dead));
        QVERIFY(isLink(m_dir + "/" + alive));
    }
};

QTEST_GUILESS_MAIN(TestDeadLinks)
#include "tst_dead_links.moc"
