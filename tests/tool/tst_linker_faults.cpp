// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// The real linker on a system with faults: read-only and full file systems,
// target directories replaced, link loops, trees deeper than it may open
// descriptors, runs killed in the middle of a swap. A run under a fault exits
// 0, reports each failure and only real ones, hides nothing that showed before
// and never writes into the applications' trees. Once the fault is gone, the
// next run leaves exactly the links of one clean run, and no temporary.

#include "fs_path.h"
#include "linker_fixture.h"
#include "tree_util.h"

#include <QRegularExpression>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

using namespace TreeUtil;

enum class Fault {
    ReadOnly,
    NoInodes,
    NoBlocks,
    TargetIsFile,
    TargetIsLinkLoop,
    TargetLinksToOthers,
    TargetLinksIntoApp,
    TargetMovedByRoot,
    SystemLinkLoops,
    AppLinkLoops,
    DeepTree,
    KilledBeforeExchange,
    KilledAfterExchange,
    KilledBeforeRename,
    ExchangeRefused,
    KilledInRefusedExchange,
};
Q_DECLARE_METATYPE(Fault)

namespace {

const QByteArray kAlpha = "alpha";
// Long enough that every link to its entries takes a block of its own.
const QByteArray kBeta = "beta-" + QByteArray(150, 'b');
const QList<QByteArray> kApps = {kAlpha, kBeta};
// Below /usr/share/help, deeper than kOpenFiles descriptors reach.
const QByteArray kDeep = "deep" + QByteArray("/d").repeated(64);
constexpr rlim_t kOpenFiles = 32;
const QByteArray kPlugins = "/usr/lib/mozilla/plugins";
const QByteArray kMovedPlugins = "/usr/lib/mozilla/plugins.moved";
const QByteArray kOthersDir = "/usr/lib/mozilla/others";

// The rows of the link table the applications use: entries sub-directory, target.
const QList<QPair<QByteArray, QByteArray>> kRows = {{"applications", "/usr/share/applications"},
                                                    {"help", "/usr/share/help"},
                                                    {"locale", "/usr/share/locale"},
                                                    {"plugins/browser", kPlugins}};

void installApplications()
{
    installSharingApps(kApps);
    writeFile(entries(kBeta) + "/help/" + kDeep + "/deep.page", kBeta);
}

// Each system path a file of the applications should show at, with the files
// that may show there.
QMap<QByteArray, QList<QByteArray>> shownPaths()
{
    QMap<QByteArray, QList<QByteArray>> paths;
    for (const QByteArray &app : kApps) {
        for (const auto &row : kRows) {
            const QByteArray source = entries(app) + "/" + row.first;
            const auto tree = snapshot(source);
            for (auto it = tree.begin(); it != tree.end(); ++it) {
                if (it.value() == "file")
                    paths[row.second + "/" + it.key()].append(source + "/" + it.key());
            }
        }
    }
    return paths;
}

QList<QByteArray> visiblePaths()
{
    QList<QByteArray> visible = shownPaths().keys();
    visible.removeIf([](const QByteArray &path) { return !existsFollowingLinks(path); });
    return visible;
}

// What a run reported, by the documented messages, and any other line.
struct Reports
{
    QList<QPair<QByteArray, QByteArray>> failedLinks; // source, destination
    QList<QByteArray> failedRemovals;
    QList<QByteArray> refusedExchanges; // the directories unfolded without one
    QStringList others;

    explicit Reports(const QByteArray &output)
    {
        static const QRegularExpression link(
            QStringLiteral(R"re(^link failed: "(.*)" => "(.*)"$)re"));
        static const QRegularExpression removal(
            QStringLiteral(R"re(^remove dead link failed: "(.*)"$)re"));
        static const QRegularExpression refused(
            QStringLiteral(R"re(^exchange refused, unfolding in two steps: "(.*)"$)re"));
        for (const QString &line : sortedLines(output)) {
            const QRegularExpressionMatch linkMatch = link.match(line);
            const QRegularExpressionMatch removalMatch = removal.match(line);
            const QRegularExpressionMatch refusedMatch = refused.match(line);
            if (linkMatch.hasMatch())
                failedLinks.append(
                    {linkMatch.captured(1).toUtf8(), linkMatch.captured(2).toUtf8()});
            else if (removalMatch.hasMatch())
                failedRemovals.append(removalMatch.captured(1).toUtf8());
            else if (refusedMatch.hasMatch())
                refusedExchanges.append(refusedMatch.captured(1).toUtf8());
            else
                others.append(line);
        }
    }

    // Whether a failed link was meant for path or a directory above it.
    bool failedAt(const QByteArray &path) const
    {
        return std::any_of(failedLinks.begin(), failedLinks.end(), [&](const auto &failed) {
            return path == failed.second || path.startsWith(failed.second + '/');
        });
    }
};

bool isKill(Fault fault)
{
    return fault == Fault::KilledBeforeExchange || fault == Fault::KilledAfterExchange ||
           fault == Fault::KilledBeforeRename || fault == Fault::KilledInRefusedExchange;
}

// Where a kill leaves a directory missing until the next run: between the
// removal of the link and the renaming of the directory into its place,
// beta's first unfolding.
QByteArray hiddenUntilNextRun(Fault fault)
{
    return fault == Fault::KilledInRefusedExchange ? "/usr/share/help/C" : QByteArray();
}

} // namespace

class TestLinkerFaults : public LinkerTest
{
    Q_OBJECT

private:
    QMap<QByteArray, QByteArray> m_cleanRun;
    QList<QByteArray> m_deadLinks; // that the run under the fault is to remove or report

    // An earlier run linked alpha and an application since removed, whose
    // links now dangle (one of them at the bottom of the deep tree); beta is
    // installed since.
    void layOutEarlierRun()
    {
        installSharingApps({kAlpha});
        installApp("gone");
        for (const QByteArray &file :
             {QByteArray("/applications/gone.desktop"), QByteArray("/help/gone-book/index.page"),
              "/help/" + kDeep + "/gone.page"})
            writeFile(entries("gone") + file);
        runAndExpectExitZero();
        const auto state = linkState();
        for (auto it = state.begin(); it != state.end(); ++it) {
            if (it.value().contains("/opt/apps/gone/"))
                m_deadLinks.append(it.key());
        }
        QCOMPARE(m_deadLinks.size(), 3);
        removeTree("/opt/apps/gone");
        installApplications();
    }

    void replaceTargetWithLink(const QByteArray &target)
    {
        QCOMPARE(rename(kPlugins.constData(), kMovedPlugins.constData()), 0);
        makeLink(target, kPlugins);
    }

    void inject(Fault fault)
    {
        switch (fault) {
        case Fault::ReadOnly:
            for (const QByteArray point : {"/usr/share", "/etc", "/usr/lib"})
                QVERIFY(sandbox().makeReadOnly(point));
            break;
        case Fault::NoInodes:
            QVERIFY(sandbox().setRoom(SystemSandbox::Room::NoInodes));
            break;
        case Fault::NoBlocks:
            QVERIFY(sandbox().setRoom(SystemSandbox::Room::NoBlocks));
            break;
        case Fault::TargetIsFile:
            QCOMPARE(rename(kPlugins.constData(), kMovedPlugins.constData()), 0);
            writeFile(kPlugins);
            break;
        case Fault::TargetIsLinkLoop:
            replaceTargetWithLink("plugins");
            break;
        case Fault::TargetLinksToOthers:
            makeLink("/nowhere", kOthersDir + "/theirs.so");
            QCOMPARE(chmod(kOthersDir.constData(), 0777), 0);
            replaceTargetWithLink(kOthersDir);
            break;
        case Fault::TargetLinksIntoApp:
            replaceTargetWithLink(entries(kAlpha) + "/plugins/browser");
            break;
        case Fault::TargetMovedByRoot:
            replaceTargetWithLink(kMovedPlugins);
            break;
        case Fault::SystemLinkLoops:
            makeLink("loop-b", "/usr/share/applications/loop-a");
            makeLink("loop-a", "/usr/share/applications/loop-b");
            m_deadLinks << "/usr/share/applications/loop-a"
                        << "/usr/share/applications/loop-b";
            makeLink("/usr/share/help", "/usr/share/help/up");
            break;
        case Fault::AppLinkLoops:
            makeLink("loop", entries(kBeta) + "/help/C/loop");
            makeLink("..", entries(kBeta) + "/help/C/" + kBeta + "/up");
            // A later application whose entries lead back into the system directories.
            installApp("zeta");
            makeLink("/usr/share/locale", entries("zeta") + "/locale");
            makeLink("/usr/share/help", entries("zeta") + "/help");
            break;
        default:
            break; // the run itself carries the fault
        }
    }

    void remove(Fault fault)
    {
        switch (fault) {
        case Fault::ReadOnly:
            for (const QByteArray point : {"/usr/lib", "/etc", "/usr/share"})
                sandbox().unmount(point);
            break;
        case Fault::NoInodes:
        case Fault::NoBlocks:
            QVERIFY(sandbox().setRoom(SystemSandbox::Room::Plenty));
            break;
        case Fault::TargetIsFile:
        case Fault::TargetIsLinkLoop:
        case Fault::TargetLinksToOthers:
        case Fault::TargetLinksIntoApp:
        case Fault::TargetMovedByRoot:
            QCOMPARE(unlink(kPlugins.constData()), 0);
            QCOMPARE(rename(kMovedPlugins.constData(), kPlugins.constData()), 0);
            removeTree(kOthersDir);
            break;
        case Fault::SystemLinkLoops:
            QCOMPARE(unlink("/usr/share/help/up"), 0);
            break;
        case Fault::AppLinkLoops:
            removeTree("/opt/apps/zeta");
            removeTree(entries(kBeta) + "/help/C/loop");
            removeTree(entries(kBeta) + "/help/C/" + kBeta + "/up");
            break;
        default:
            break;
        }
    }

    LinkerRun runUnder(Fault fault)
    {
        switch (fault) {
        case Fault::DeepTree:
            return runLinker(linkerEnvironment(), kOpenFiles);
        case Fault::KilledBeforeExchange:
            return runLinker(withRenameFaults("before-exchange"));
        case Fault::KilledAfterExchange:
            return runLinker(withRenameFaults("after-exchange"));
        case Fault::KilledBeforeRename:
            return runLinker(withRenameFaults("before-rename"));
        case Fault::ExchangeRefused:
            return runLinker(withRenameFaults(QByteArray(), true));
        case Fault::KilledInRefusedExchange:
            return runLinker(withRenameFaults("before-directory-rename", true));
        default:
            return runLinker();
        }
    }

    // The linker's temporaries in the sandbox: entries so named, and links to them.
    QList<QByteArray> temporaries() const
    {
        QList<QByteArray> found;
        for (const QByteArray point : {"/usr/share", "/etc", "/usr/lib"}) {
            const auto tree = snapshot(sandbox().upperDir(point));
            for (auto it = tree.begin(); it != tree.end(); ++it) {
                if (it.key().contains("/.app-entries-linker-") ||
                    it.key().startsWith(".app-entries-linker-") ||
                    it.value().contains(".app-entries-linker-"))
                    found.append(point + "/" + it.key());
            }
        }
        return found;
    }

    // Each failure reported, and each report a failure; where the exchange
    // is refused, each directory unfolded without it named.
    void expectEveryFailureReported(const QByteArray &output, Fault fault)
    {
        const Reports reports(output);
        QCOMPARE(reports.others, QStringList());
        const QList<QByteArray> unfolded = {"/usr/share/help/C", "/usr/share/locale/mjw",
                                            "/usr/share/locale/mjw/LC_MESSAGES"};
        QCOMPARE(reports.refusedExchanges,
                 fault == Fault::ExchangeRefused ? unfolded : QList<QByteArray>());
        for (const QByteArray &dir : unfolded) {
            struct stat st = {};
            QVERIFY2(fault != Fault::ExchangeRefused ||
                         (lstat(dir.constData(), &st) == 0 && S_ISDIR(st.st_mode)),
                     dir.constData());
        }
        for (const auto &failed : reports.failedLinks)
            QVERIFY2(readLink(failed.second) != failed.first, failed.second.constData());
        for (const QByteArray &path : reports.failedRemovals)
            QVERIFY2(isLink(path), path.constData());
        const auto paths = shownPaths();
        for (auto it = paths.begin(); it != paths.end(); ++it) {
            const bool shown =
                std::any_of(it.value().begin(), it.value().end(),
                            [&](const QByteArray &file) { return isSameFile(it.key(), file); });
            QVERIFY2(shown || reports.failedAt(it.key()), it.key().constData());
        }
        for (const QByteArray &path : m_deadLinks)
            QVERIFY2(!lexists(path) || reports.failedRemovals.contains(path), path.constData());
    }

private Q_SLOTS:
    void initTestCase()
    {
        setUpTestCase();
        prepareSystem();
        installApplications();
        makeDir("/usr/share/help/" + kDeep);
        runAndExpectExitZero();
        m_cleanRun = linkState();
        sandbox().tearDown();
    }

    void init()
    {
        prepareSystem();
        makeDir("/usr/share/help/" + kDeep);
        m_deadLinks.clear();
    }
    void cleanup() { sandbox().tearDown(); }

    void keepsWorkingAndLosesNothing_data()
    {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<bool>("reports"); // whether links fail under it, and are reported
        QTest::newRow("read-only file system") << Fault::ReadOnly << true;
        QTest::newRow("no inode left") << Fault::NoInodes << true;
        QTest::newRow("no block left for long link targets") << Fault::NoBlocks << true;
        QTest::newRow("target directory replaced by a file") << Fault::TargetIsFile << true;
        QTest::newRow("target directory replaced by a link loop")
            << Fault::TargetIsLinkLoop << true;
        QTest::newRow("target directory replaced by a link to a directory others can write")
            << Fault::TargetLinksToOthers << true;
        QTest::newRow("target directory replaced by a link into an application")
            << Fault::TargetLinksIntoApp << true;
        QTest::newRow("target directory moved by root, a link left in its place")
            << Fault::TargetMovedByRoot << false;
        QTest::newRow("link loops in the system directories") << Fault::SystemLinkLoops << false;
        QTest::newRow("link loops in the applications' entries") << Fault::AppLinkLoops << false;
        QTest::newRow("tree deeper than the open-file limit") << Fault::DeepTree << false;
        QTest::newRow("killed before a directory exchange") << Fault::KilledBeforeExchange << false;
        QTest::newRow("killed after a directory exchange") << Fault::KilledAfterExchange << false;
        QTest::newRow("killed before a link replacement") << Fault::KilledBeforeRename << false;
        QTest::newRow("directory exchange refused") << Fault::ExchangeRefused << true;
        QTest::newRow("exchange refused, killed before the directory takes the link's place")
            << Fault::KilledInRefusedExchange << true;
    }

    void keepsWorkingAndLosesNothing()
    {
        QFETCH(Fault, fault);
        QFETCH(bool, reports);
        struct stat usr = {};
        if (fault == Fault::TargetMovedByRoot && (stat("/usr", &usr) != 0 || usr.st_uid != 0))
            QSKIP("the system directories are not root's in this user namespace");
        layOutEarlierRun();
        inject(fault);
        const QList<QByteArray> visibleBefore = visiblePaths();
        const auto appsBefore = snapshot("/opt/apps");
        const auto othersBefore = snapshot(kOthersDir);

        const LinkerRun run = runUnder(fault);
        // A killed run leaves a temporary behind; no other run does.
        const bool killed = isKill(fault);
        QCOMPARE(run.crashed, killed);
        QCOMPARE(temporaries().isEmpty(), !killed);
        QCOMPARE(run.standardError.isEmpty(), !reports);
        if (!killed) {
            QCOMPARE(run.exitCode, 0);
            expectEveryFailureReported(run.standardError, fault);
        }
        const QByteArray hidden = hiddenUntilNextRun(fault);
        for (const QByteArray &path : visibleBefore)
            QVERIFY2(existsFollowingLinks(path) || (!hidden.isEmpty() && isAtOrBelow(path, hidden)),
                     path.constData());
        QCOMPARE(snapshot("/opt/apps"), appsBefore);
        QCOMPARE(snapshot(kOthersDir), othersBefore);

        remove(fault);
        const LinkerRun repair = runLinker();
        QVERIFY(!repair.crashed);
        QCOMPARE(repair.exitCode, 0);
        QCOMPARE(repair.standardError, QByteArray());
        QCOMPARE(linkState(), m_cleanRun);
        QCOMPARE(temporaries(), QList<QByteArray>());
    }
};

SANDBOX_TEST_MAIN(TestLinkerFaults)

#include "tst_linker_faults.moc"
