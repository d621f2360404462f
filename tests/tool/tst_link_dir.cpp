// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// linkDir on temporary trees: folding, per-entry links, what is kept, replaced
// and skipped, and names that need exact byte handling.

#include "link_dir.h"
#include "message_log.h"
#include "path_component.h"
#include "tree_util.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace TreeUtil;

using Links = QList<QPair<QByteArray, QByteArray>>; // content, path

class TestLinkDir : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_tmp;
    QByteArray m_src;
    QByteArray m_dst;

    void link()
    {
        RunState run(RunMode::Apply, QByteArray());
        linkDir(m_src, m_dst, Subdirs::Folded, run);
    }

    QByteArray appsDir() const { return m_src.left(m_src.lastIndexOf('/')) + "/apps"; }
    QByteArray entriesRoot(const QByteArray &app) const
    {
        return appsDir() + "/" + app + "/entries";
    }

    // Links the "help" directory of each application into the target, in
    // order, as one run over these applications does; returns its plan.
    Plan linkRun(const QList<QByteArray> &apps, RunMode mode = RunMode::Apply,
                 Subdirs subdirs = Subdirs::Folded)
    {
        RunState run(mode, QByteArray());
        for (const QByteArray &app : apps)
            run.apps().add({entriesRoot(app), {{entriesRoot(app) + "/help", m_dst, subdirs}}});
        for (qsizetype i = 0; i < apps.size(); ++i) {
            run.apps().setCurrent(i);
            linkDir(run.apps().apps().at(i).rows.first().source, m_dst, subdirs, run);
        }
        return run.plan();
    }

private Q_SLOTS:
    // Names that are not UTF-8 are beyond QTemporaryDir's own removal.
    void cleanupTestCase() { removeTree(QFile::encodeName(m_tmp.path())); }

    void init()
    {
        QVERIFY(m_tmp.isValid());
        // Without links on the way: linkDir follows those only into root's directories.
        const QByteArray base = QFile::encodeName(QDir(m_tmp.path()).canonicalPath()) + "/" +
                                QTest::currentTestFunction() + "-" + QTest::currentDataTag();
        m_src = base + "/src";
        m_dst = base + "/sys/target";
        makeDir(m_src);
    }

    void missingSourceDoesNothing()
    {
        MessageLog log;
        RunState run(RunMode::Apply, QByteArray());
        linkDir(m_src + "-missing", m_dst, Subdirs::Folded, run);
        QVERIFY(!lexists(m_dst.left(m_dst.lastIndexOf('/'))));
        QVERIFY(log.lines().isEmpty());
    }

    void foldsWhatTheTargetLacks()
    {
        writeFile(m_src + "/help/foo/index.page");
        writeFile(m_src + "/icons/hicolor/48x48/apps/x.png");
        writeFile(m_src + "/icons/hicolor/48x48/apps/y.png");
        makeDir(m_dst + "/icons/hicolor/48x48/apps");
        MessageLog log;
        link();

        QCOMPARE(readLink(m_dst + "/help"), m_src + "/help");
        QCOMPARE(readLink(m_dst + "/icons/hicolor/48x48/apps/x.png"),
                 m_src + "/icons/hicolor/48x48/apps/x.png");
        QCOMPARE(readLink(m_dst + "/icons/hicolor/48x48/apps/y.png"),
                 m_src + "/icons/hicolor/48x48/apps/y.png");
        QVERIFY(!isLink(m_dst + "/icons/hicolor"));
        // Nothing was created inside the application's tree through the link.
        QCOMPARE(snapshot(m_src + "/help").keys(), QList<QByteArray>({"foo", "foo/index.page"}));
        QVERIFY(log.lines().isEmpty());
    }

    void keepsRealFilesAndCurrentLinks()
    {
        writeFile(m_src + "/a.desktop", "app");
        writeFile(m_src + "/b.desktop");
        writeFile(m_dst + "/a.desktop", "system");
        // A relative link that normalises to the source counts as current.
        const QByteArray relative = "../../src/b.desktop";
        makeLink(relative, m_dst + "/b.desktop");
        const unsigned long before = inode(m_dst + "/b.desktop");
        MessageLog log;
        link();

        QVERIFY(!isLink(m_dst + "/a.desktop"));
        QCOMPARE(readLink(m_dst + "/b.desktop"), relative);
        QCOMPARE(inode(m_dst + "/b.desktop"), before);
        QVERIFY(log.lines().isEmpty());
    }

    void replacesOutdatedLinksInPlace()
    {
        writeFile(m_src + "/x.desktop");
        writeFile(m_dst + "/other/x.desktop");
        makeLink(m_dst + "/other/x.desktop", m_dst + "/x.desktop");
        link();

        QCOMPARE(readLink(m_dst + "/x.desktop"), m_src + "/x.desktop");
        for (const QByteArray &name : snapshot(m_dst).keys())
            QVERIFY2(!name.startsWith('.'), name.constData()); // no temporary left behind
    }

    void secondRunChangesNothing()
    {
        writeFile(m_src + "/a/b/c.txt");
        writeFile(m_src + "/d.txt");
        makeDir(m_dst + "/a");
        link();
        const auto first = snapshot(m_dst);
        const unsigned long linkInode = inode(m_dst + "/a/b");
        MessageLog log;
        link();
        QCOMPARE(snapshot(m_dst), first);
        QCOMPARE(inode(m_dst + "/a/b"), linkInode);
        QVERIFY(log.lines().isEmpty());
    }

    void keepsEveryApplicationOfASharedDirectory_data()
    {
        using Names = QList<QByteArray>;
        QTest::addColumn<Names>("earlierRun");
        QTest::addColumn<Names>("apps");
        QTest::addColumn<Names>("files"); // "<app>/<path below help>", in the order of apps
        QTest::newRow("two share C")
            << Names() << Names{"a", "b"}
            << Names{"a/C/a/index.page", "a/C/a/figures/x.png", "b/C/b/index.page"};
        QTest::newRow("three share a translation directory")
            << Names() << Names{"a", "b", "c"}
            << Names{"a/mjw/LC_MESSAGES/a.mo", "b/mjw/LC_MESSAGES/b.mo", "c/mjw/LC_MESSAGES/c.mo"};
        QTest::newRow("same files, later wins")
            << Names() << Names{"a", "b"}
            << Names{"a/x.desktop", "a/C/shared.page", "a/C/a.page", "b/x.desktop",
                     "b/C/shared.page"};
        QTest::newRow("nested directories both ship")
            << Names() << Names{"a", "b"}
            << Names{"a/C/book/index.page", "a/C/book/figures/a.png", "b/C/book/b.page",
                     "b/C/book/figures/b.png"};
        QTest::newRow("earlier app joins a later one's directory")
            << Names{"b"} << Names{"a", "b"}
            << Names{"a/C/a/index.page", "a/C/shared.page", "b/C/b/index.page", "b/C/shared.page"};
    }

    void keepsEveryApplicationOfASharedDirectory()
    {
        QFETCH(QList<QByteArray>, earlierRun);
        QFETCH(QList<QByteArray>, apps);
        QFETCH(QList<QByteArray>, files);
        QMap<QByteArray, QByteArray> shown; // path below the target -> content it must show
        for (const QByteArray &file : files) {
            const qsizetype slash = file.indexOf('/');
            writeFile(entriesRoot(file.left(slash)) + "/help" + file.mid(slash), file);
            shown.insert(file.mid(slash), file);
        }
        makeDir(m_dst);
        if (!earlierRun.isEmpty())
            linkRun(earlierRun);
        MessageLog log;
        linkRun(apps);

        for (auto it = shown.begin(); it != shown.end(); ++it) {
            QFile file(QFile::decodeName(m_dst + it.key()));
            QVERIFY2(file.open(QIODevice::ReadOnly), it.key().constData());
            QCOMPARE(file.readAll(), it.value());
        }
        const auto first = snapshot(m_dst);
        QMap<QByteArray, unsigned long> inodes;
        for (const QByteArray &rel : first.keys()) {
            QVERIFY2(!rel.startsWith('.') && !rel.contains("/."), rel.constData());
            inodes.insert(rel, inode(m_dst + "/" + rel));
        }
        linkRun(apps);
        QCOMPARE(snapshot(m_dst), first);
        for (auto it = inodes.begin(); it != inodes.end(); ++it)
            QCOMPARE(inode(m_dst + "/" + it.key()), it.value());
        QVERIFY(log.lines().isEmpty());
    }

    void aFileNeverHidesTheDirectoryOfAnother()
    {
        writeFile(entriesRoot("a") + "/help/C/shared/a.page", "a");
        writeFile(entriesRoot("b") + "/help/C/shared", "b");
        writeFile(entriesRoot("c") + "/help/C/shared/c.page", "c");
        makeDir(m_dst);
        MessageLog log;
        linkRun({"a", "b", "c"});
        QCOMPARE(log.lines().size(), 1); // the file's link failed
        const auto first = snapshot(m_dst);
        QCOMPARE(first.keys(),
                 QList<QByteArray>({"C", "C/shared", "C/shared/a.page", "C/shared/c.page"}));
        QVERIFY(linkRun({"a", "b", "c"}).isEmpty());
        QCOMPARE(snapshot(m_dst), first);
    }

    void plansTheSteps_data()
    {
        using Names = QList<QByteArray>;
        QTest::addColumn<Names>("apps");
        QTest::addColumn<Names>("files"); // below the base
        QTest::addColumn<Links>("links"); // $B stands for the test's base
        QTest::addColumn<bool>("real");   // directories directly below the target are real ones
        QTest::addColumn<QByteArray>("steps");
        QTest::addColumn<int>("failures");
        const QByteArray dst = "$B/sys/target";
        const QByteArray a = "$B/apps/a/entries/help";
        const QByteArray b = "$B/apps/b/entries/help";
        QTest::newRow("a directory the target lacks")
            << Names{"a"} << Names{"apps/a/entries/help/foo/index.page"} << Links() << false
            << "add " + dst + "/foo -> " + a + "/foo\n"
            << 0;
        QTest::newRow("a link to elsewhere")
            << Names{"a"} << Names{"apps/a/entries/help/x.desktop", "elsewhere/x.desktop"}
            << Links{{"$B/elsewhere/x.desktop", "sys/target/x.desktop"}} << false
            << "replace " + dst + "/x.desktop -> " + a + "/x.desktop (was $B/elsewhere/x.desktop)\n"
            << 0;
        QTest::newRow("the later application's link")
            << Names{"a", "b"}
            << Names{"apps/a/entries/help/x.desktop", "apps/b/entries/help/x.desktop"}
            << Links{{b + "/x.desktop", "sys/target/x.desktop"}} << false << QByteArray() << 0;
        QTest::newRow("a directory two applications ship")
            << Names{"a", "b"}
            << Names{"apps/a/entries/help/C/a.page", "apps/b/entries/help/C/b.page"} << Links()
            << false
            << "add " + dst + "/C -> " + a + "/C\nunfold " + dst + "/C\nadd " + dst +
                   "/C/a.page -> " + a + "/C/a.page\nadd " + dst + "/C/b.page -> " + b +
                   "/C/b.page\n"
            << 0;
        QTest::newRow("a directory the cache commands write into")
            << Names{"a", "b"}
            << Names{"apps/a/entries/help/Theme/a.png", "apps/b/entries/help/Theme/b.png"}
            << Links() << true
            << "mkdir " + dst + "/Theme\nadd " + dst + "/Theme/a.png -> " + a +
                   "/Theme/a.png\nadd " + dst + "/Theme/b.png -> " + b + "/Theme/b.png\n"
            << 0;
        QTest::newRow("one an earlier run linked into the application")
            << Names{"a"} << Names{"apps/a/entries/help/Theme/a.png"}
            << Links{{a + "/Theme", "sys/target/Theme"}} << true
            << "unfold " + dst + "/Theme\nadd " + dst + "/Theme/a.png -> " + a + "/Theme/a.png\n"
            << 0;
        QTest::newRow("one linked elsewhere")
            << Names{"a"} << Names{"apps/a/entries/help/Theme/a.png", "elsewhere/Theme/other.png"}
            << Links{{"$B/elsewhere/Theme", "sys/target/Theme"}} << true
            << "unfold " + dst + "/Theme\nadd " + dst + "/Theme/a.png -> " + a + "/Theme/a.png\n"
            << 0;
        QTest::newRow("an entry there that links to a directory")
            << Names{"a"} << Names{"elsewhere/Theme/other.png"}
            << Links{{"$B/elsewhere/Theme", "apps/a/entries/help/Theme"}} << true << QByteArray()
            << 1;
    }

    void plansTheSteps()
    {
        QFETCH(QList<QByteArray>, apps);
        QFETCH(QList<QByteArray>, files);
        QFETCH(Links, links);
        QFETCH(bool, real);
        QFETCH(QByteArray, steps);
        QFETCH(int, failures);
        const QByteArray base = m_src.left(m_src.lastIndexOf('/'));
        for (const QByteArray &file : files)
            writeFile(base + "/" + file);
        for (const auto &link : links)
            makeLink(QByteArray(link.first).replace("$B", base), base + "/" + link.second);
        makeDir(m_dst);
        const auto before = snapshot(base);
        MessageLog log;
        const Plan plan = linkRun(apps, RunMode::DryRun, real ? Subdirs::Real : Subdirs::Folded);
        QCOMPARE(describePlan(plan), steps.replace("$B", base));
        QCOMPARE(log.lines().size(), failures);
        QCOMPARE(snapshot(base), before);
        // The run makes what was planned.
        linkRun(apps, RunMode::Apply, real ? Subdirs::Real : Subdirs::Folded);
        QVERIFY(linkRun(apps, RunMode::DryRun, real ? Subdirs::Real : Subdirs::Folded).isEmpty());
    }

    void replacesLinksOfOthers_data()
    {
        QTest::addColumn<QByteArray>("foreign"); // what the link points at, below the apps
        QTest::addColumn<QByteArray>("entry");   // the entry of the application "a"
        QTest::newRow("directory outside every application")
            << QByteArray("elsewhere/help/C") << QByteArray("C");
        QTest::newRow("directory of an application not in the run")
            << QByteArray("gone/entries/help/C") << QByteArray("C");
        QTest::newRow("directory a later application does not link")
            << QByteArray("b/entries/unlinked/C") << QByteArray("C");
        QTest::newRow("file a later application does not link")
            << QByteArray("b/entries/unlinked/x.desktop") << QByteArray("x.desktop");
    }

    void replacesLinksOfOthers()
    {
        QFETCH(QByteArray, foreign);
        QFETCH(QByteArray, entry);
        const bool isFile = entry.endsWith(".desktop");
        const QByteArray target = appsDir() + "/" + foreign;
        writeFile(isFile ? target : target + "/foreign.page");
        makeLink(target, m_dst + "/" + entry);
        writeFile(entriesRoot("a") + "/help/" + entry + (isFile ? "" : "/a.page"));
        const QByteArray owner = appsDir() + "/" + foreign.left(foreign.indexOf('/'));
        const auto before = snapshot(owner);
        linkRun({"a", "b"});
        QCOMPARE(readLink(m_dst + "/" + entry), entriesRoot("a") + "/help/" + entry);
        QCOMPARE(snapshot(owner), before);
    }

    void keepsTheLinksASourceLeadsBackTo_data()
    {
        QTest::addColumn<bool>("wholeSource");
        QTest::newRow("source directory is the target") << true;
        QTest::newRow("entry links back to the target") << false;
    }

    void keepsTheLinksASourceLeadsBackTo()
    {
        // A link to the source would point at itself: the system's link stays.
        QFETCH(bool, wholeSource);
        writeFile(m_dst + "/real.desktop", "system");
        makeLink(m_dst + "/real.desktop", m_dst + "/sys.desktop");
        if (wholeSource) {
            removeTree(m_src);
            makeLink(m_dst, m_src);
        } else {
            makeLink("../sys/target/sys.desktop", m_src + "/sys.desktop");
        }
        MessageLog log;
        link();
        QCOMPARE(readLink(m_dst + "/sys.desktop"), m_dst + "/real.desktop");
        QCOMPARE(snapshot(m_dst).keys(), QList<QByteArray>({"real.desktop", "sys.desktop"}));
        QVERIFY(log.lines().isEmpty());
    }

    void skipsDotNamesSpecialFilesAndDanglingLinks()
    {
        writeFile(m_src + "/.hidden.desktop");
        writeFile(m_src + "/.dir/inner.desktop");
        writeFile(m_src + "/real.desktop");
        writeFile(m_src + "/sub/.x");
        makeDir(m_dst + "/sub");
        QCOMPARE(mkfifo((m_src + "/pipe").constData(), 0644), 0);
        makeLink(m_src + "/nowhere", m_src + "/dangling.desktop");
        link();

        QCOMPARE(snapshot(m_dst).keys(), QList<QByteArray>({"real.desktop", "sub"}));
    }

    void linksLinksOfTheSourceAsThemselves()
    {
        writeFile(m_src + "/data/file.txt");
        makeLink("data/file.txt", m_src + "/alias.txt");
        makeLink("data", m_src + "/dirlink");
        makeDir(m_dst);
        link();
        QCOMPARE(readLink(m_dst + "/alias.txt"), m_src + "/alias.txt");
        QCOMPARE(readLink(m_dst + "/dirlink"), m_src + "/dirlink");
    }

    void neverChangesTheSourceThroughADirectoryLink()
    {
        // A link inside a folded directory is met through the target's link;
        // it belongs to the application and must survive every run.
        writeFile(m_src + "/doc/pkg/manual.txt");
        makeLink("manual.txt", m_src + "/doc/pkg/README");
        makeLink("/elsewhere/absolute", m_src + "/doc/pkg/absolute");
        makeDir(m_dst + "/doc");
        const auto before = snapshot(m_src);
        link();
        link();
        QCOMPARE(snapshot(m_src), before);
        QCOMPARE(readLink(m_dst + "/doc/pkg"), m_src + "/doc/pkg");
    }

    void createsTheParentButNotTheTarget()
    {
        writeFile(m_src + "/plugin.so");
        writeFile(m_src + "/dir/inner.so");
        MessageLog log;
        link();

        QVERIFY(QFileInfo(QFile::decodeName(m_dst.left(m_dst.lastIndexOf('/')))).isDir());
        QVERIFY(!lexists(m_dst));
        const QString src = QFile::decodeName(m_src), dst = QFile::decodeName(m_dst);
        QStringList expected;
        for (const QString &rel :
             {QStringLiteral("dir"), QStringLiteral("dir/inner.so"), QStringLiteral("plugin.so")})
            expected.append(
                QStringLiteral("void linkDir(const QByteArray&, const QByteArray&, Subdirs, "
                               "RunState&)|link failed: \"%1/%2\" => \"%3/%2\"")
                    .arg(src, rel, dst));
        QStringList lines = log.lines();
        lines.sort();
        QCOMPARE(lines, expected);
    }

    void keepsEveryByteOfAName_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("spaces") << QByteArray("my app.desktop");
        QTest::newRow("quotes") << QByteArray("say \"hi\" it's.desktop");
        QTest::newRow("newline") << QByteArray("two\nlines.desktop");
        QTest::newRow("non-ascii") << QByteArray("caf\xc3\xa9-\xe5\xba\x94\xe7\x94\xa8.desktop");
        QTest::newRow("not utf-8") << QByteArray("bad\xff\xfe-\xe9.desktop");
        QTest::newRow("replacement char") << QByteArray("bad\xef\xbf\xbd\xef\xbf\xbd.desktop");
    }

    void keepsEveryByteOfAName()
    {
        QFETCH(QByteArray, name);
        writeFile(m_src + "/" + name, name);
        writeFile(m_src + "/dir " + name + "/inner");
        makeDir(m_dst);
        link();
        QCOMPARE(readLink(m_dst + "/" + name), m_src + "/" + name);
        QCOMPARE(readLink(m_dst + "/dir " + name), m_src + "/dir " + name);
        QCOMPARE(snapshot(m_dst).size(), 2);
        link();
        QCOMPARE(snapshot(m_dst).size(), 2);
    }

    void namesInvalidUtf8LikeItsLookalike()
    {
        // "\xff" decodes to U+FFFD; a name-losing conversion would mix the two up.
        writeFile(m_src + "/x\xff", "invalid");
        writeFile(m_src + "/x\xef\xbf\xbd", "valid");
        makeDir(m_dst);
        link();
        QCOMPARE(readLink(m_dst + "/x\xff"), m_src + "/x\xff");
        QCOMPARE(readLink(m_dst + "/x\xef\xbf\xbd"), m_src + "/x\xef\xbf\xbd");
    }

    void resolvesRelativeArguments()
    {
        writeFile(m_src + "/f.txt");
        makeDir(m_dst);
        const QString cwd = QDir::currentPath();
        QDir::setCurrent(QFile::decodeName(m_src.left(m_src.lastIndexOf('/'))));
        RunState run(RunMode::Apply, QByteArray());
        linkDir("./src/", "sys/../sys//target", Subdirs::Folded, run);
        QDir::setCurrent(cwd);
        QCOMPARE(readLink(m_dst + "/f.txt"), m_src + "/f.txt");
    }

    void acceptsOnlySafeAppIds_data()
    {
        QTest::addColumn<QString>("appId");
        QTest::addColumn<bool>("safe");
        QTest::newRow("plain") << QStringLiteral("org.example.app") << true;
        QTest::newRow("dots inside") << QStringLiteral("..a..") << true;
        QTest::newRow("non-ascii") << QStringLiteral("应用") << true;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("dot") << QStringLiteral(".") << false;
        QTest::newRow("dot dot") << QStringLiteral("..") << false;
        QTest::newRow("slash") << QStringLiteral("../etc") << false;
        QTest::newRow("trailing slash") << QStringLiteral("app/") << false;
        QTest::newRow("newline") << QStringLiteral("app\n") << false;
        QTest::newRow("nul") << QString(QChar(0)) << false;
        QTest::newRow("c1 control") << QStringLiteral("app\u0085") << false;
    }

    void acceptsOnlySafeAppIds()
    {
        QFETCH(QString, appId);
        QFETCH(bool, safe);
        QCOMPARE(isSinglePathComponent(appId), safe);
    }
};

QTEST_GUILESS_MAIN(TestLinkDir)
#include "tst_link_dir.moc"
