// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// The real app-entries-linker against the real fixed paths, inside a private
// mount namespace with overlays, so the host's files never change.

#include "app_entries.h"
#include "clean_link.h"
#include "fs_path.h"
#include "isolated_icons.h"
#include "linker_fixture.h"
#include "message_log.h"
#include "tree_util.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QTest>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace TreeUtil;

using Files = QList<QPair<QByteArray, QByteArray>>; // path, content

namespace {

// Every file of these applications shows at its system path; a file that all
// of them ship shows the last one's.
void verifyVisible(const QList<QByteArray> &apps)
{
    for (const QByteArray &app : apps) {
        for (const QByteArray &path : {"/usr/share/help/C/" + app + "/figures/" + app + ".png",
                                       "/usr/share/locale/mjw/LC_MESSAGES/" + app + ".mo",
                                       "/usr/lib/mozilla/plugins/" + app + ".so"})
            QCOMPARE(contentOf(path), app);
    }
    QCOMPARE(contentOf("/usr/share/locale/mjw/LC_MESSAGES/shared.mo"), apps.last());
    QCOMPARE(contentOf("/usr/share/applications/shared.desktop"), apps.last());
}

} // namespace

class TestLinkerRun : public LinkerTest
{
    Q_OBJECT

private:
    void expectSecondRunChangesNothing()
    {
        const auto before = linkState();
        QMap<QByteArray, unsigned long> inodes;
        for (const QByteArray &path : before.keys())
            inodes.insert(path, inode(path));
        const LinkerRun run = runLinker();
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.standardError, QByteArray());
        QCOMPARE(linkState(), before);
        for (auto it = inodes.begin(); it != inodes.end(); ++it)
            QCOMPARE(inode(it.key()), it.value());
    }

    // Every entry the runs changed below /usr/share, /etc and /usr/lib, and
    // every entry below /opt/apps, by path.
    QMap<QByteArray, QByteArray> systemState() const
    {
        QMap<QByteArray, QByteArray> state;
        for (const QByteArray point : {"/usr/share", "/etc", "/usr/lib"}) {
            const auto tree = snapshot(sandbox().upperDir(point));
            for (auto it = tree.begin(); it != tree.end(); ++it)
                state.insert(point + "/" + it.key(), it.value());
        }
        const auto apps = snapshot("/opt/apps");
        for (auto it = apps.begin(); it != apps.end(); ++it)
            state.insert("/opt/apps/" + it.key(), it.value());
        return state;
    }

    // An environment whose PATH finds the given tools (name, shell script) first.
    QProcessEnvironment withTools(const QList<QPair<QByteArray, QByteArray>> &tools) const
    {
        const QByteArray bin = sandbox().upperDir("/opt") + "-wrappers";
        for (const auto &tool : tools) {
            writeFile(bin + "/" + tool.first, "#!/bin/sh\n" + tool.second);
            chmod((bin + "/" + tool.first).constData(), 0755);
        }
        QProcessEnvironment env = linkerEnvironment();
        env.insert(QStringLiteral("PATH"),
                   QFile::decodeName(bin) + QLatin1Char(':') + env.value(QStringLiteral("PATH")));
        return env;
    }

private Q_SLOTS:
    void initTestCase() { setUpTestCase(); }

    void init() { prepareSystem(); }
    void cleanup() { sandbox().tearDown(); }

    void removesDanglingLinksBeforeLinking()
    {
        const QList<QByteArray> managed = {"/usr/share/GConf",
                                           "/usr/share/applications",
                                           "/usr/share/dbus-1/services",
                                           "/usr/share/doc",
                                           "/usr/share/fcitx",
                                           "/usr/share/fonts",
                                           "/usr/share/glib-2.0",
                                           "/usr/share/help",
                                           "/usr/share/icons",
                                           "/usr/share/locale",
                                           "/usr/share/mime",
                                           "/usr/share/polkit-1",
                                           "/etc/fonts/conf.d",
                                           "/etc/xdg/autostart",
                                           "/usr/lib/mozilla/plugins",
                                           "/usr/lib/" + triplet() + "/fcitx"};
        for (const QByteArray &dir : managed)
            makeLink("/opt/apps/gone/entries/file", dir + "/dead-link");
        makeLink("/nowhere", "/usr/share/icons/hicolor/48x48/apps/deep-dead.png");
        makeLink("/nowhere", "/usr/share/applications/.dot-dead");
        makeLink("/nowhere", "/usr/share/other-dir/dead"); // not managed
        QCOMPARE(mkfifo("/usr/share/applications/pipe", 0644), 0);
        // The dangling link occupies the path the application ships: only a
        // cleanup that runs first lets the new link be made.
        makeLink("/opt/apps/gone/entries/applications/x.desktop",
                 "/usr/share/applications/x.desktop");
        installApp("alpha");
        writeFile(entries("alpha") + "/applications/x.desktop");

        runAndExpectExitZero();

        for (const QByteArray &dir : managed)
            QVERIFY2(!lexists(dir + "/dead-link"), dir.constData());
        QVERIFY(!lexists("/usr/share/icons/hicolor/48x48/apps/deep-dead.png"));
        QVERIFY(isLink("/usr/share/applications/.dot-dead"));
        QVERIFY(isLink("/usr/share/other-dir/dead"));
        QVERIFY(lexists("/usr/share/applications/pipe"));
        QCOMPARE(readLink("/usr/share/applications/x.desktop"),
                 entries("alpha") + "/applications/x.desktop");
    }

    void linksEveryRowOfTheTable()
    {
        struct Row
        {
            QByteArray source, target;
        };
        const QList<Row> rows = {
            {"autostart", "/etc/xdg/autostart"},
            {"GConf", "/usr/share/GConf"},
            {"applications", "/usr/share/applications"},
            {"doc", "/usr/share/doc"},
            {"fcitx", "/usr/share/fcitx"},
            {"fonts/files", "/usr/share/fonts"},
            {"fonts/conf", "/etc/fonts/conf.d"},
            {"glib-2.0", "/usr/share/glib-2.0"},
            {"help", "/usr/share/help"},
            {"icons", "/usr/share/icons"},
            {"locale", "/usr/share/locale"},
            {"mime", "/usr/share/mime"},
            {"polkit", "/usr/share/polkit-1"},
            {"services", "/usr/share/dbus-1/services"},
            {"plugins/fcitx", "/usr/lib/" + triplet() + "/fcitx"},
            {"plugins/browser", "/usr/lib/mozilla/plugins"},
        };
        const QList<QByteArray> apps = {"full", "string-autostart", "no-permissions"};
        for (const QByteArray &app : apps) {
            for (const Row &row : rows) {
                QByteArray name = app + "-" + row.source + ".entry";
                name.replace('/', '-');
                writeFile(entries(app) + "/" + row.source + "/" + name);
            }
        }
        installApp("full", true);
        writeInfo("string-autostart",
                  R"({"appid": "string-autostart", "permissions": {"autostart": "true"}})");
        writeInfo("no-permissions", R"({"appid": "no-permissions"})");

        runAndExpectExitZero();

        for (const QByteArray &app : apps) {
            for (const Row &row : rows) {
                QByteArray name = app + "-" + row.source + ".entry";
                name.replace('/', '-');
                const QByteArray dst = row.target + "/" + name;
                if (row.source == "autostart" && app != "full") {
                    QVERIFY2(!lexists(dst), dst.constData());
                    continue;
                }
                QCOMPARE(readLink(dst), entries(app) + "/" + row.source + "/" + name);
            }
        }
    }

    void foldsAndUnfoldsDirectories()
    {
        installApp("alpha");
        writeFile(entries("alpha") + "/help/foo/index.page");
        writeFile(entries("alpha") + "/help/foo/figures/a.png");
        writeFile(entries("alpha") + "/icons/hicolor/48x48/apps/x.png");
        makeDir("/usr/share/icons/hicolor/48x48/apps");
        writeFile("/usr/share/help/bar/system.page");
        writeFile(entries("alpha") + "/help/bar/app.page");

        runAndExpectExitZero();
        // Folded: one link for the directory the system lacks, nothing below it.
        QCOMPARE(readLink("/usr/share/help/foo"), entries("alpha") + "/help/foo");
        const auto help = snapshot(sandbox().upperDir("/usr/share") + "/help");
        QCOMPARE(help.value("foo"), "-> " + entries("alpha") + "/help/foo");
        for (const QByteArray &rel : help.keys())
            QVERIFY2(!rel.startsWith("foo/"), rel.constData());
        // Unfolded: per-entry links inside the directories the system has.
        QVERIFY(!isLink("/usr/share/icons/hicolor"));
        QCOMPARE(readLink("/usr/share/icons/hicolor/48x48/apps/x.png"),
                 entries("alpha") + "/icons/hicolor/48x48/apps/x.png");
        QVERIFY(!isLink("/usr/share/help/bar"));
        QCOMPARE(readLink("/usr/share/help/bar/app.page"), entries("alpha") + "/help/bar/app.page");

        // Once the application is gone, the next run removes its folded link.
        removeTree("/opt/apps/alpha");
        runAndExpectExitZero();
        QVERIFY(!lexists("/usr/share/help/foo"));
        QVERIFY(!lexists("/usr/share/help/bar/app.page"));
        QVERIFY(lexists("/usr/share/help/bar/system.page"));
    }

    void laterApplicationWinsASharedPath()
    {
        // Case-insensitive order: alpha, Beta (byte order would put Beta first).
        for (const QByteArray &app : {QByteArray("Beta"), QByteArray("alpha")}) {
            installApp(app);
            writeFile(entries(app) + "/applications/shared.desktop");
            writeFile(entries(app) + "/help/shared/page");
        }
        // The info's appid, not its directory, names the entries that are linked.
        writeInfo("wrapper", R"({"appid": "real-id"})");
        writeFile(entries("wrapper") + "/applications/wrapper.desktop");
        writeFile(entries("real-id") + "/applications/real.desktop");

        runAndExpectExitZero();
        QCOMPARE(readLink("/usr/share/applications/shared.desktop"),
                 entries("Beta") + "/applications/shared.desktop");
        QCOMPARE(readLink("/usr/share/help/shared/page"), entries("Beta") + "/help/shared/page");
        QCOMPARE(readLink("/usr/share/applications/real.desktop"),
                 entries("real-id") + "/applications/real.desktop");
        QVERIFY(!lexists("/usr/share/applications/wrapper.desktop"));
    }

    void sharedDirectoriesKeepEveryApplication_data()
    {
        QTest::addColumn<QList<QByteArray>>("apps");
        QTest::newRow("two") << QList<QByteArray>{"alpha", "beta"};
        QTest::newRow("three") << QList<QByteArray>{"alpha", "beta", "gamma"};
    }

    void sharedDirectoriesKeepEveryApplication()
    {
        QFETCH(QList<QByteArray>, apps);
        // The system has /usr/share/help and /usr/share/locale, but no C or mjw in them.
        removeTree("/usr/share/help/C");
        removeTree("/usr/share/locale/mjw");
        installSharingApps(apps);
        const LinkerRun run = runLinker();
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.standardError, QByteArray());
        verifyVisible(apps);
        expectSecondRunChangesNothing();

        removeTree("/opt/apps/" + apps.takeFirst());
        runAndExpectExitZero();
        verifyVisible(apps);
        for (const QByteArray &link : linkState().keys())
            QVERIFY2(existsFollowingLinks(link), link.constData());
    }

    void interruptedAndOverlappingRunsLeaveOneRunsState()
    {
        const QList<QByteArray> apps = {"alpha", "beta", "gamma"};
        const auto oneRun = stateOfOneRun(apps);
        installSharingApps(apps);
        // A run that dies once it has made beta's help/C a real directory.
        const LinkerRun killed = runLinker(withRenameFaults("after-exchange"));
        QVERIFY(killed.crashed);
        QCOMPARE(contentOf("/usr/share/help/C/alpha/figures/alpha.png"), QByteArray("alpha"));
        QVERIFY(!lexists("/usr/share/help/C/gamma"));

        // Then two runs at once, with slow triplet queries that record which
        // run asked, as they begin and as they end.
        const QByteArray log = sandbox().upperDir("/opt") + "-queries";
        const QByteArray record = "echo \"$RUN\" >> '" + log + "'\n";
        const QByteArray answer = "echo " + triplet() + "\n";
        QProcessEnvironment first = withTools({{"gcc", record + "sleep 0.2\n" + record + answer}});
        QProcessEnvironment second = first;
        first.insert(QStringLiteral("RUN"), QStringLiteral("1"));
        second.insert(QStringLiteral("RUN"), QStringLiteral("2"));
        for (const LinkerRun &run : runLinkers({first, second})) {
            QCOMPARE(run.exitCode, 0);
            QCOMPARE(run.standardError, QByteArray());
        }
        QCOMPARE(linkState(), oneRun);
        for (const QByteArray point : {"/usr/share", "/etc", "/usr/lib"}) {
            for (const QByteArray &rel : snapshot(sandbox().upperDir(point)).keys())
                QVERIFY2(!rel.contains(".app-entries-linker"), rel.constData());
        }
        // One run's query, begun and ended, before the other's.
        const QByteArray order = contentOf(log).replace('\n', "");
        QCOMPARE(order.size(), 4);
        QVERIFY2(order.at(0) == order.at(1) && order.at(2) == order.at(3) &&
                     order.at(0) != order.at(2),
                 order.constData());
    }

    void failedUnfoldingKeepsTheLink()
    {
        installApp("alpha");
        installApp("beta");
        writeFile(entries("alpha") + "/help/C/one/index.page");
        writeFile(entries("alpha") + "/help/C/two/index.page");
        writeFile(entries("beta") + "/help/C/beta/index.page");
        // Inodes for the root, alpha's link, the new directory and one link in it.
        QVERIFY(sandbox().mountTmpfs("/usr/share/help", 4));
        makeLink(entries("alpha") + "/help/C", "/usr/share/help/C");

        const LinkerRun run = runLinker();
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.standardError.contains(
            R"(link failed: "/opt/apps/beta/entries/help/C" => "/usr/share/help/C")"));
        QCOMPARE(snapshot("/usr/share/help"),
                 (QMap<QByteArray, QByteArray>{{"C", "-> " + entries("alpha") + "/help/C"}}));
    }

    void lockFileThatOthersCanOpenHoldsNoRunUp()
    {
        // A user could have made it and be holding it locked.
        const QByteArray lock = "/run/lock/app-entries-linker.lock";
        const int held = open(lock.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        QVERIFY(held >= 0 && flock(held, LOCK_EX) == 0);
        const LinkerRun run = runLinker();
        close(held);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.standardError, QByteArray());
        struct stat st = {};
        QVERIFY(lstat(lock.constData(), &st) == 0 && S_ISREG(st.st_mode));
        QCOMPARE(st.st_mode & 0777, mode_t(0600));
    }

    void neverReplacesRealFiles()
    {
        writeFile("/usr/share/applications/owned.desktop", "system");
        writeFile("/usr/share/help/owned/page", "system");
        installApp("alpha");
        writeFile(entries("alpha") + "/applications/owned.desktop", "app");
        writeFile(entries("alpha") + "/help/owned/page", "app");
        writeFile(entries("alpha") + "/help/owned/extra", "app");

        const LinkerRun run = runLinker();
        QCOMPARE(run.exitCode, 0);
        QVERIFY(!isLink("/usr/share/applications/owned.desktop"));
        QVERIFY(!isLink("/usr/share/help/owned/page"));
        QCOMPARE(readLink("/usr/share/help/owned/extra"), entries("alpha") + "/help/owned/extra");
        QCOMPARE(run.standardError, QByteArray());
    }

    void secondRunChangesNothing()
    {
        installApp("alpha", true);
        writeFile(entries("alpha") + "/applications/a.desktop");
        writeFile(entries("alpha") + "/autostart/a.desktop");
        writeFile(entries("alpha") + "/help/alpha/index.page");
        writeFile(entries("alpha") + "/icons/alpha.svg");
        writeFile(entries("alpha") + "/plugins/browser/a.so");
        runAndExpectExitZero();
        QVERIFY(linkState().size() >= 6);
        expectSecondRunChangesNothing();
    }

    void ignoresNamesBeginningWithADot()
    {
        writeInfo(".cache", R"({"appid": "hidden"})");
        writeFile(entries("hidden") + "/applications/hidden.desktop");
        installApp("alpha");
        writeFile(entries("alpha") + "/applications/.secret.desktop");
        writeFile(entries("alpha") + "/applications/.dir/inner.desktop");
        writeFile(entries("alpha") + "/applications/shown.desktop");
        runAndExpectExitZero();
        QVERIFY(!lexists("/usr/share/applications/hidden.desktop"));
        QVERIFY(!lexists("/usr/share/applications/.secret.desktop"));
        QVERIFY(!lexists("/usr/share/applications/.dir"));
        QVERIFY(isLink("/usr/share/applications/shown.desktop"));
    }

    void writesItsMessagesToStandardError()
    {
        writeInfo("array", "[1,2]");
        writeInfo("broken", "{\"appid\": ");
        makeDir("/opt/apps/unreadable/info"); // cannot be opened as a file: silent
        installApp("plug");
        writeFile(entries("plug") + "/plugins/browser/say \"hi\"\n.so");
        QVERIFY(QDir(QStringLiteral("/usr/lib/mozilla/plugins")).removeRecursively());
        writeFile("/usr/share/icons/loose.png");
        QVERIFY(QDir(QStringLiteral("/usr/share/icons/hicolor/scalable/apps")).removeRecursively());
        makeLink("/nowhere", "/usr/share/doc/locked/dead");
        QVERIFY(sandbox().makeReadOnly("/usr/share/doc/locked"));

        const QStringList expected = {
            // The debug stream escapes the quotes and the newline of the name.
            QStringLiteral("link failed: \"/opt/apps/plug/entries/plugins/browser/say "
                           "\\\"hi\\\"\\n.so\" => ") +
                "\"/usr/lib/mozilla/plugins/say \\\"hi\\\"\\n.so\"",
            R"(link failed: "/usr/share/icons/loose.png" => "/usr/share/icons/hicolor/scalable/apps/loose.png")",
            R"(parse info failed: "/opt/apps/array/info")",
            R"(parse info failed: "/opt/apps/broken/info")",
            R"(remove dead link failed: "/usr/share/doc/locked/dead")",
        };
        const LinkerRun plain = runLinker();
        QCOMPARE(plain.exitCode, 0);
        QStringList found = sortedLines(plain.standardError);
        QStringList ours;
        for (const QString &line : found) {
            if (!line.contains(QLatin1String("\"/usr/share/icons/")) ||
                line.contains(QLatin1String("loose.png")))
                ours.append(line); // loose icons the host has fail too; only ours counts
        }
        QCOMPARE(ours, expected);

        const LinkerRun typed =
            runLinker(linkerEnvironment(QStringLiteral("%{type}|%{category}|%{message}")));
        for (const QString &record : sortedLines(typed.standardError))
            QVERIFY2(record.startsWith(QLatin1String("debug|default|")), qPrintable(record));

        // The records' function context, as the logging framework receives it.
        MessageLog log;
        enumAppInfoList();
        RunState run(RunMode::Apply, triplet());
        cleanLink(run);
        linkIsolatedIcons(run);
        const auto contextOf = [&](const QString &needle) {
            for (const QString &record : log.lines()) {
                if (record.contains(needle))
                    return record.section(QLatin1Char('|'), 0, 0);
            }
            return QString();
        };
        QCOMPARE(contextOf(QStringLiteral("parse info failed:")),
                 QStringLiteral("QList<QJsonObject> enumAppInfoList()"));
        QCOMPARE(contextOf(QStringLiteral("loose.png")),
                 QStringLiteral("void linkIsolatedIcons(RunState&)"));
        QCOMPARE(contextOf(QStringLiteral("remove dead link failed:")),
                 QStringLiteral("cleanLink(RunState&)::<lambda(const QString&)>"));
    }

    void skipsUnsafeAppIds()
    {
        const QList<QPair<QByteArray, QByteArray>> cases = {
            {"empty", R"({"appid": ""})"},
            {"missing", R"({"name": "x"})"},
            {"number", R"({"appid": 7})"},
            {"dot", R"({"appid": "."})"},
            {"dotdot", R"({"appid": ".."})"},
            {"escape", R"({"appid": "../../usr/share/evil"})"},
            {"control", R"({"appid": "a\u0001b"})"},
        };
        for (const auto &c : cases)
            writeInfo(c.first, c.second);
        // Where each of those would lead.
        writeFile("/opt/apps/entries/applications/evil-root.desktop");
        writeFile("/opt/entries/applications/evil-parent.desktop");
        writeFile("/usr/share/evil/entries/applications/evil-escape.desktop");
        installApp("good");
        writeFile(entries("good") + "/applications/good.desktop");

        const LinkerRun run = runLinker();
        QCOMPARE(run.exitCode, 0);
        const QStringList got = sortedLines(run.standardError);
        QStringList want = {R"(invalid appid: "" in "/opt/apps/empty/info")",
                            R"(invalid appid: "" in "/opt/apps/missing/info")",
                            R"(invalid appid: "" in "/opt/apps/number/info")",
                            R"(invalid appid: "." in "/opt/apps/dot/info")",
                            R"(invalid appid: ".." in "/opt/apps/dotdot/info")",
                            R"(invalid appid: "../../usr/share/evil" in "/opt/apps/escape/info")",
                            R"(invalid appid: "a\u0001b" in "/opt/apps/control/info")"};
        want.sort();
        QCOMPARE(got, want);
        for (const char *name : {"evil-root", "evil-parent", "evil-escape"})
            QVERIFY2(!lexists(QByteArray("/usr/share/applications/") + name + ".desktop"), name);
        QVERIFY(isLink("/usr/share/applications/good.desktop"));
    }

    void replacingALinkNeverLeavesAGap()
    {
        writeFile("/usr/share/doc/old-target.desktop");
        installApp("alpha");
        writeFile(entries("alpha") + "/applications/x.desktop");
        // A directory whose file system has no inode left for a new link.
        const QByteArray dir = "/usr/share/applications";
        QVERIFY(sandbox().mountTmpfs(dir, 3));
        makeLink("/usr/share/doc/old-target.desktop", dir + "/x.desktop");
        writeFile(dir + "/filler");
        QVERIFY(!QFile(QFile::decodeName(dir + "/one-more")).open(QIODevice::WriteOnly));

        const LinkerRun run = runLinker();
        QCOMPARE(run.exitCode, 0);
        QVERIFY(
            QString::fromUtf8(run.standardError)
                .contains(QLatin1String(R"(link failed: "/opt/apps/alpha/entries/applications/)"
                                        R"(x.desktop" => "/usr/share/applications/x.desktop")")));
        QCOMPARE(readLink(dir + "/x.desktop"), QByteArray("/usr/share/doc/old-target.desktop"));
        QCOMPARE(snapshot(dir).keys(), QList<QByteArray>({"filler", "x.desktop"}));

        QVERIFY(QFile::remove(QFile::decodeName(dir + "/filler")));
        runAndExpectExitZero();
        QCOMPARE(readLink(dir + "/x.desktop"), entries("alpha") + "/applications/x.desktop");
        for (const QByteArray &name : snapshot(dir).keys())
            QVERIFY2(!name.startsWith('.'), name.constData()); // no temporary left behind
    }

    void handlesNamesByTheirBytes()
    {
        const QList<QByteArray> names = {
            "with space.desktop",  "quote\"s'.desktop",   "new\nline.desktop",
            "caf\xc3\xa9.desktop", "bad\xff\xfe.desktop", "bad\xef\xbf\xbd\xef\xbf\xbd.desktop"};
        installApp("alpha");
        for (const QByteArray &name : names) {
            writeFile(entries("alpha") + "/applications/" + name);
            // A removed application left links of the same odd shapes behind.
            makeLink("/opt/apps/gone/" + name, "/usr/share/applications/old " + name);
        }
        // A live link whose name is the lookalike of a dead one, and the reverse.
        writeFile("/usr/share/doc/live");
        makeLink("/usr/share/doc/live", "/usr/share/applications/look\xef\xbf\xbd");
        makeLink("/nowhere", "/usr/share/applications/look\xff");

        runAndExpectExitZero();
        for (const QByteArray &name : names) {
            QCOMPARE(readLink("/usr/share/applications/" + name),
                     entries("alpha") + "/applications/" + name);
            QVERIFY2(!lexists("/usr/share/applications/old " + name), name.constData());
        }
        QVERIFY(isLink("/usr/share/applications/look\xef\xbf\xbd"));
        QVERIFY(!lexists("/usr/share/applications/look\xff"));

        removeTree("/opt/apps/alpha");
        runAndExpectExitZero();
        for (const QByteArray &name : names)
            QVERIFY2(!lexists("/usr/share/applications/" + name), name.constData());
        QVERIFY(isLink("/usr/share/applications/look\xef\xbf\xbd"));
    }

    void findsFcitxPluginsByTriplet()
    {
        installApp("im");
        writeFile(entries("im") + "/plugins/fcitx/im.so");
        runAndExpectExitZero();
        QCOMPARE(readLink("/usr/lib/" + triplet() + "/fcitx/im.so"),
                 entries("im") + "/plugins/fcitx/im.so");

        // Without gcc the triplet is empty and /usr/lib//fcitx is /usr/lib/fcitx.
        const QByteArray noGcc = sandbox().upperDir("/opt") + "-bin";
        makeLink("/bin/bash", noGcc + "/bash");
        makeDir("/usr/lib/fcitx");
        makeLink("/nowhere", "/usr/lib/fcitx/dead.so");
        QProcessEnvironment env = linkerEnvironment();
        env.insert(QStringLiteral("PATH"), QFile::decodeName(noGcc));
        runAndExpectExitZero(env);
        QVERIFY(!lexists("/usr/lib/fcitx/dead.so"));
        QCOMPARE(readLink("/usr/lib/fcitx/im.so"), entries("im") + "/plugins/fcitx/im.so");
    }

    void runsTheFourCacheCommandsInOrder()
    {
        const QByteArray log = sandbox().upperDir("/opt") + "-calls";
        QList<QPair<QByteArray, QByteArray>> tools;
        for (const QByteArray tool : {"glib-compile-schemas", "update-desktop-database",
                                      "update-mime-database", "update-icon-caches"}) {
            // Each records its call; the first one fails, which must not stop the others.
            tools.append({tool, "echo \"" + tool + " $*\" >> '" + log + "'\n[ " + tool +
                                    " != glib-compile-schemas ]\n"});
        }
        const QProcessEnvironment env = withTools(tools);
        runAndExpectExitZero(env);
        QFile calls(QFile::decodeName(log));
        QVERIFY(calls.open(QIODevice::ReadOnly));
        const QList<QByteArray> recorded = calls.readAll().split('\n');
        QCOMPARE(recorded.size(), 5);
        QCOMPARE(recorded.at(0), QByteArray("glib-compile-schemas /usr/share/glib-2.0/schemas/"));
        QCOMPARE(recorded.at(1), QByteArray("update-desktop-database -q"));
        QCOMPARE(recorded.at(2), QByteArray("update-mime-database -V /usr/share/mime"));
        QVERIFY(recorded.at(3).startsWith("update-icon-caches /usr/share/icons/"));
        QVERIFY(recorded.at(3).contains(" /usr/share/icons/hicolor"));
    }

    void refreshesTheRealCaches()
    {
        installApp("viewer");
        const QByteArray e = entries("viewer");
        writeFile(e + "/glib-2.0/schemas/org.example.viewer.gschema.xml",
                  R"(<schemalist><schema id="org.example.viewer" path="/org/example/viewer/">)"
                  R"(<key name="zoom" type="i"><default>1</default></key></schema></schemalist>)");
        writeFile(e + "/applications/viewer.desktop",
                  "[Desktop Entry]\nType=Application\nName=Viewer\nExec=viewer %f\n"
                  "MimeType=application/x-example-viewer;\n");
        writeFile(
            e + "/mime/packages/viewer.xml",
            R"(<?xml version="1.0"?><mime-info xmlns="http://www.freedesktop.org/standards/shared-mime-info">)"
            R"(<mime-type type="application/x-example-viewer"><comment>Viewer file</comment>)"
            R"(<glob pattern="*.exview"/></mime-type></mime-info>)");
        writeFile(e + "/icons/hicolor/scalable/apps/viewer.svg", "<svg/>");
        QFile::remove(QStringLiteral("/usr/share/icons/hicolor/icon-theme.cache"));

        runAndExpectExitZero();
        const auto contains = [](const char *path, const QByteArray &text) {
            QFile file(QString::fromLatin1(path));
            return file.open(QIODevice::ReadOnly) && file.readAll().contains(text);
        };
        QVERIFY(contains("/usr/share/glib-2.0/schemas/gschemas.compiled", "org.example.viewer"));
        QVERIFY(contains("/usr/share/applications/mimeinfo.cache",
                         "application/x-example-viewer=viewer.desktop"));
        QVERIFY(contains("/usr/share/mime/globs2", "application/x-example-viewer:*.exview"));
        QVERIFY(contains("/usr/share/icons/hicolor/icon-theme.cache", "viewer"));
    }

    void neverLinksLooseIconsInsideAnApplication()
    {
        // Without hicolor/scalable of its own, the system shows an application's.
        removeTree("/usr/share/icons/hicolor/scalable");
        installApp("alpha");
        writeFile(entries("alpha") + "/icons/hicolor/scalable/apps/alpha.svg");
        writeFile("/usr/share/icons/loose.svg");
        const auto before = snapshot(entries("alpha"));

        const LinkerRun run = runLinker();
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(readLink("/usr/share/icons/hicolor/scalable"),
                 entries("alpha") + "/icons/hicolor/scalable");
        QVERIFY(
            run.standardError.contains(R"(link failed: "/usr/share/icons/loose.svg" => )"
                                       R"("/usr/share/icons/hicolor/scalable/apps/loose.svg")"));
        QCOMPARE(snapshot(entries("alpha")), before);
    }

    void linksLooseIconsIntoTheFallbackTheme()
    {
        const QByteArray apps = "/usr/share/icons/hicolor/scalable/apps";
        installApp("alpha");
        writeFile(entries("alpha") + "/icons/foo.svg");
        writeFile("/usr/share/icons/Upper.XPM");
        writeFile("/usr/share/icons/readme.txt");
        writeFile("/usr/share/icons/icon.png.bak");
        writeFile("/usr/share/icons/.hidden.png");
        writeFile("/usr/share/icons/kept.png");
        writeFile(apps + "/kept.png", "theme's own");
        writeFile("/usr/share/icons/moved.png");
        writeFile("/usr/share/doc/elsewhere.png");
        makeLink("/usr/share/doc/elsewhere.png", apps + "/moved.png");

        runAndExpectExitZero();
        QCOMPARE(readLink(apps + "/foo.svg"), entries("alpha") + "/icons/foo.svg");
        QCOMPARE(readLink(apps + "/Upper.XPM"), QByteArray("/usr/share/icons/Upper.XPM"));
        QCOMPARE(readLink(apps + "/moved.png"), QByteArray("/usr/share/icons/moved.png"));
        QVERIFY(!isLink(apps + "/kept.png"));
        for (const char *ignored : {"readme.txt", "icon.png.bak", ".hidden.png"})
            QVERIFY2(!lexists(apps + "/" + ignored), ignored);

        const unsigned long before = inode(apps + "/foo.svg");
        runAndExpectExitZero();
        QCOMPARE(inode(apps + "/foo.svg"), before);
    }

    void cacheDirectoriesAreTheSystems_data()
    {
        QTest::addColumn<QByteArray>("shipped"); // below the entries: the directory's source
        QTest::addColumn<QByteArray>("dir");     // the directory the cache command writes into
        QTest::addColumn<QByteArray>("cache");   // what it writes there
        QTest::addColumn<Files>("files");
        QTest::addColumn<bool>("linkedBefore"); // an earlier run linked dir to the application's
        QTest::addColumn<bool>("infoGone");     // and the application is no longer in the run
        const Files theme = {{"index.theme", "[Icon Theme]\nName=Ostrel\nDirectories=16x16/apps\n"
                                             "\n[16x16/apps]\nSize=16\n"},
                             {"16x16/apps/themed.png", "png"}};
        QTest::newRow("icon theme the system lacks")
            << QByteArray("icons/OstrelTheme") << QByteArray("/usr/share/icons/OstrelTheme")
            << QByteArray("icon-theme.cache") << theme << false << false;
        QTest::newRow("icon theme an earlier run linked")
            << QByteArray("icons/OstrelTheme") << QByteArray("/usr/share/icons/OstrelTheme")
            << QByteArray("icon-theme.cache") << theme << true << false;
        QTest::newRow("icon theme linked for an application that lost its info")
            << QByteArray("icons/OstrelTheme") << QByteArray("/usr/share/icons/OstrelTheme")
            << QByteArray("icon-theme.cache") << theme << true << true;
        QTest::newRow("schemas the system lacks")
            << QByteArray("glib-2.0/schemas") << QByteArray("/usr/share/glib-2.0/schemas")
            << QByteArray("gschemas.compiled")
            << Files{{"org.example.themed.gschema.xml",
                      R"(<schemalist><schema id="org.example.themed" path="/org/example/themed/">)"
                      R"(<key name="size" type="i"><default>1</default></key></schema></schemalist>)"}}
            << false << false;
    }

    void cacheDirectoriesAreTheSystems()
    {
        QFETCH(QByteArray, shipped);
        QFETCH(QByteArray, dir);
        QFETCH(QByteArray, cache);
        QFETCH(Files, files);
        QFETCH(bool, linkedBefore);
        QFETCH(bool, infoGone);
        removeTree(dir);
        installApp("themed");
        const QByteArray source = entries("themed") + "/" + shipped;
        for (const auto &file : files)
            writeFile(source + "/" + file.first, file.second);
        if (linkedBefore)
            makeLink(source, dir);
        if (infoGone)
            QVERIFY(unlink("/opt/apps/themed/info") == 0);
        const auto installed = snapshot("/opt/apps");

        runAndExpectExitZero();
        struct stat st = {};
        QVERIFY(lstat(dir.constData(), &st) == 0 && S_ISDIR(st.st_mode));
        QCOMPARE(st.st_mode & 07777, mode_t(0755));
        QCOMPARE(readLink(dir + "/" + files.first().first), source + "/" + files.first().first);
        QVERIFY(lstat((dir + "/" + cache).constData(), &st) == 0 && S_ISREG(st.st_mode));
        QCOMPARE(snapshot("/opt/apps"), installed);
        expectSecondRunChangesNothing();
    }

    void looseIconAndThemeCopySettle_data()
    {
        QTest::addColumn<QByteArray>("looseApp");
        QTest::addColumn<QByteArray>("themeApp");
        QTest::newRow("theme copy from a later application") << QByteArray("a") << QByteArray("b");
        QTest::newRow("theme copy from an earlier application")
            << QByteArray("b") << QByteArray("a");
        QTest::newRow("both from one application") << QByteArray("a") << QByteArray("a");
    }

    void looseIconAndThemeCopySettle()
    {
        QFETCH(QByteArray, looseApp);
        QFETCH(QByteArray, themeApp);
        installApp(looseApp);
        installApp(themeApp);
        writeFile(entries(looseApp) + "/icons/x.svg", "loose");
        const QByteArray themeCopy = entries(themeApp) + "/icons/hicolor/scalable/apps/x.svg";
        writeFile(themeCopy, "theme");
        runAndExpectExitZero();
        // The copy an application ships in the theme wins over a loose icon.
        QCOMPARE(readLink("/usr/share/icons/hicolor/scalable/apps/x.svg"), themeCopy);
        expectSecondRunChangesNothing();
        expectSecondRunChangesNothing();
    }

    void directoriesAreOpenWhateverTheUmask()
    {
        installSharingApps({"alpha", "beta"});
        writeFile(entries("alpha") + "/icons/OstrelTheme/16x16/apps/alpha.png");
        removeTree("/usr/lib/mozilla");
        const mode_t previous = umask(077);
        const LinkerRun run = runLinker();
        umask(previous);
        QCOMPARE(run.exitCode, 0);
        for (const QByteArray dir :
             {"/usr/share/help/C", "/usr/share/locale/mjw", "/usr/share/locale/mjw/LC_MESSAGES",
              "/usr/share/icons/OstrelTheme", "/usr/lib/mozilla"}) {
            struct stat st = {};
            QVERIFY2(lstat(dir.constData(), &st) == 0 && S_ISDIR(st.st_mode), dir.constData());
            QCOMPARE(st.st_mode & 07777, mode_t(0755));
        }
        // The caches the commands write are for every user to read too.
        struct stat cache = {};
        QVERIFY(stat("/usr/share/glib-2.0/schemas/gschemas.compiled", &cache) == 0);
        QCOMPARE(cache.st_mode & 0444, mode_t(0444));
    }

    void dryRunTellsWhatTheRunChanges()
    {
        // An earlier run linked alpha; a removed application left a link
        // behind, and one of alpha's links is outdated.
        installSharingApps({"alpha"});
        runAndExpectExitZero();
        makeLink("/opt/apps/gone/entries/applications/gone.desktop",
                 "/usr/share/applications/gone.desktop");
        writeFile("/usr/share/doc/old.desktop");
        writeFile(entries("alpha") + "/applications/moved.desktop");
        makeLink("/usr/share/doc/old.desktop", "/usr/share/applications/moved.desktop");
        // beta shares alpha's directories, ships a theme and a name that is not UTF-8.
        installSharingApps({"beta"});
        writeFile(entries("beta") + "/icons/OstrelTheme/index.theme");
        writeFile(entries("beta") + "/applications/bad\xff.desktop");
        writeFile("/usr/share/icons/loose.png");
        removeTree("/usr/lib/mozilla");
        const QByteArray calls = sandbox().upperDir("/opt") + "-calls";
        QList<QPair<QByteArray, QByteArray>> tools;
        for (const QByteArray tool : {"glib-compile-schemas", "update-desktop-database",
                                      "update-mime-database", "update-icon-caches"})
            tools.append({tool, "echo " + tool + " >> '" + calls + "'\n"});
        const QProcessEnvironment env = withTools(tools);
        // The overlays copy a directory of the host up when something is made
        // in it; done now, that is no change of the run's.
        for (const QByteArray dir : {"/usr/share/icons/hicolor/scalable/apps", "/usr/share/help",
                                     "/usr/share/locale", "/usr/share/applications"}) {
            for (QByteArray level = dir; level.count('/') > 2; level = parentPath(level)) {
                struct stat st = {};
                QVERIFY(stat(level.constData(), &st) == 0 &&
                        chmod(level.constData(), st.st_mode) == 0);
            }
        }
        const auto before = systemState();

        const LinkerOutput dry = runLinkerWith({QStringLiteral("--dry-run")}, env);
        QCOMPARE(dry.exitCode, 0);
        QCOMPARE(systemState(), before);
        QVERIFY(!lexists(calls));

        const LinkerOutput real = runLinkerWith({}, env);
        QCOMPARE(real.exitCode, 0);
        QVERIFY(lexists(calls));
        // The same links fail (the plug-in directory is missing), foreseen.
        QCOMPARE(real.standardError, dry.standardError);
        const auto after = systemState();
        QSet<QByteArray> changed;
        for (const auto *state : {&before, &after}) {
            for (auto it = state->begin(); it != state->end(); ++it) {
                if (before.value(it.key()) != after.value(it.key()))
                    changed.insert(it.key());
            }
        }
        QSet<QByteArray> named;
        for (const QByteArray &line : dry.standardOutput.split('\n')) {
            if (line.isEmpty())
                continue;
            const QByteArray path = line.mid(line.indexOf(' ') + 1);
            named.insert(path.contains(" -> ") ? path.left(path.indexOf(" -> ")) : path);
        }
        QCOMPARE(named, changed);
        for (const QByteArray &line :
             {QByteArray("remove /usr/share/applications/gone.desktop"),
              "replace /usr/share/applications/moved.desktop -> " + entries("alpha") +
                  "/applications/moved.desktop (was /usr/share/doc/old.desktop)",
              QByteArray("unfold /usr/share/help/C"),
              "add /usr/share/help/C/alpha -> " + entries("alpha") + "/help/C/alpha",
              QByteArray("mkdir /usr/share/icons/OstrelTheme"),
              QByteArray("mkdir /usr/lib/mozilla"),
              "add /usr/share/applications/bad\xff.desktop -> " + entries("beta") +
                  "/applications/bad\xff.desktop",
              QByteArray("add /usr/share/icons/hicolor/scalable/apps/loose.png -> "
                         "/usr/share/icons/loose.png")})
            QVERIFY2(dry.standardOutput.contains(line + "\n"), line.constData());
    }

    void answersItsCommandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("--help") << QStringList{QStringLiteral("--help")} << 0;
        QTest::newRow("--help after --dry-run")
            << QStringList{QStringLiteral("--dry-run"), QStringLiteral("--help")} << 0;
        QTest::newRow("unknown option") << QStringList{QStringLiteral("--simulate")} << 2;
        QTest::newRow("short option") << QStringList{QStringLiteral("-n")} << 2;
        QTest::newRow("argument") << QStringList{QStringLiteral("/opt/apps")} << 2;
    }

    void answersItsCommandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        makeLink("/nowhere", "/usr/share/applications/dead.desktop");
        const LinkerOutput output = runLinkerWith(arguments);
        QCOMPARE(output.exitCode, exitCode);
        // The usage on standard output when asked for, on standard error otherwise.
        const QByteArray &usage = exitCode == 0 ? output.standardOutput : output.standardError;
        QVERIFY(usage.startsWith("Usage: app-entries-linker [--dry-run]\n"));
        QVERIFY(usage.contains("--dry-run") && usage.contains("--help"));
        QVERIFY((exitCode == 0 ? output.standardError : output.standardOutput).isEmpty());
        QVERIFY(isLink("/usr/share/applications/dead.desktop")); // no run
    }
};

SANDBOX_TEST_MAIN(TestLinkerRun)

#include "tst_linker_run.moc"
