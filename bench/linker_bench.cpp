// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// Measures app-entries-linker's cleanup and linking against find and cp on a
// system tree of realistic size, built inside a private mount namespace.
//
// Every measurement runs on a freshly generated, identical tree; each figure
// is the median of several rounds.

#include "clean_link.h"
#include "link_table.h"
#include "linker_run.h"
#include "system_sandbox.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kSystemEntries = 300000;
constexpr int kLinks = 10000;
constexpr int kDanglingEvery = 50; // 2 % of the links
constexpr int kApps = 500;
constexpr int kRounds = 3;

QByteArray g_triplet;

// The directories a run manages: every row's target.
QList<QByteArray> managedDirs()
{
    QList<QByteArray> dirs;
    for (const LinkRow &row : linkTable(g_triplet))
        dirs.append(row.target);
    return dirs;
}

void mkdirs(const QByteArray &path)
{
    for (qsizetype slash = path.indexOf('/', 1); slash != -1; slash = path.indexOf('/', slash + 1))
        mkdir(path.left(slash).constData(), 0755);
    mkdir(path.constData(), 0755);
}

void touch(const QByteArray &path)
{
    const int fd = open(path.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd >= 0)
        close(fd);
}

// The system's own files, spread over the managed directories the way a
// desktop installation spreads them: mostly icons, translations and docs.
void generateSystem()
{
    const QList<QByteArray> sizes = {"16x16", "22x22",   "24x24",   "32x32",   "48x48",
                                     "64x64", "128x128", "256x256", "scalable"};
    const QList<QByteArray> categories = {"apps",      "actions", "devices",
                                          "mimetypes", "places",  "status"};
    QList<QByteArray> dirs;
    for (const QByteArray theme : {"hicolor", "Adwaita", "breeze", "Papirus"})
        for (const QByteArray &size : sizes)
            for (const QByteArray &category : categories)
                dirs.append("/usr/share/icons/" + theme + "/" + size + "/" + category);
    for (int lang = 0; lang < 150; ++lang)
        dirs.append("/usr/share/locale/l" + QByteArray::number(lang) + "/LC_MESSAGES");
    for (int pkg = 0; pkg < 1500; ++pkg)
        dirs.append("/usr/share/doc/package-" + QByteArray::number(pkg));
    for (int book = 0; book < 100; ++book)
        dirs.append("/usr/share/help/C/book-" + QByteArray::number(book));
    for (const QByteArray dir :
         {"/usr/share/applications", "/usr/share/dbus-1/services", "/usr/share/mime/packages",
          "/usr/share/mime/application", "/usr/share/glib-2.0/schemas",
          "/usr/share/fonts/truetype/dejavu", "/usr/share/polkit-1/actions",
          "/usr/share/GConf/gsettings", "/usr/share/fcitx/table", "/etc/fonts/conf.d",
          "/etc/xdg/autostart"})
        dirs.append(dir);
    mkdirs("/usr/lib/mozilla/plugins");
    mkdirs("/usr/lib/" + g_triplet + "/fcitx");
    for (const QByteArray &dir : dirs)
        mkdirs(dir);

    int links = 0;
    for (int i = 0; i < kSystemEntries; ++i) {
        const QByteArray &dir = dirs.at(i % dirs.size());
        const QByteArray path = dir + "/entry-" + QByteArray::number(i);
        if (links < kLinks && i % (kSystemEntries / kLinks) == 0) {
            const bool dangling = links % kDanglingEvery == 0;
            const QByteArray target = dangling ? "/opt/apps/removed/entries/" + path
                                               : dir + "/entry-" + QByteArray::number(i + 1);
            symlink(target.constData(), path.constData());
            ++links;
        } else {
            touch(path);
        }
    }
}

// Applications with the entries a typical package ships.
void generateApps()
{
    for (int i = 0; i < kApps; ++i) {
        const QByteArray id = "org.example.app" + QByteArray::number(i);
        const QByteArray root = "/opt/apps/" + id;
        mkdirs(root + "/entries");
        const int fd = open((root + "/info").constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        const QByteArray info = "{\"appid\": \"" + id + "\", \"version\": \"1.0\"}";
        if (fd >= 0) {
            (void)!write(fd, info.constData(), info.size());
            close(fd);
        }
        const QByteArray e = root + "/entries";
        QList<QByteArray> files = {
            "applications/" + id + ".desktop",
            "icons/hicolor/48x48/apps/" + id + ".png",
            "icons/hicolor/128x128/apps/" + id + ".png",
            "icons/hicolor/scalable/apps/" + id + ".svg",
            "mime/packages/" + id + ".xml",
            "services/" + id + ".service",
            "glib-2.0/schemas/" + id + ".gschema.xml",
            "doc/" + id + "/copyright",
            "doc/" + id + "/changelog.gz",
            "help/C/" + id + "/index.page",
            // Directories the system lacks, shared by every application.
            "help/mjw/" + id + "/index.page",
            "locale/mjw/LC_MESSAGES/" + id + ".mo",
            "locale/szl/LC_MESSAGES/" + id + ".mo",
            // Files that several applications ship: the later one wins.
            "icons/hicolor/48x48/apps/common.png",
            "applications/handler-" + QByteArray::number(i % 10) + ".desktop",
        };
        for (int lang = 0; lang < 10; ++lang)
            files.append("locale/l" + QByteArray::number(lang * 7) + "/LC_MESSAGES/" + id + ".mo");
        for (const QByteArray &file : files) {
            mkdirs(e + "/" + file.left(file.lastIndexOf('/')));
            touch(e + "/" + file);
        }
    }
}

struct Fresh
{
    SystemSandbox sandbox;
    Fresh()
    {
        if (!sandbox.setUp())
            qFatal("cannot mount the sandbox");
        for (const QByteArray &dir : managedDirs()) {
            if (!sandbox.mountTmpfs(dir, 0))
                qFatal("cannot mount %s", dir.constData());
        }
        generateSystem();
        generateApps();
    }
    ~Fresh() { sandbox.tearDown(); }
};

template <typename F> double seconds(F &&work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e9;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

void shell(const QString &command)
{
    if (QProcess::execute(QStringLiteral("bash"), {QStringLiteral("-c"), command}) != 0)
        qFatal("failed: %s", qPrintable(command));
}

// Every entry below the managed directories with its inode and its
// modification and change times, one line each, as find prints them.
QHash<QByteArray, QByteArray> fileSystemState(const QString &dirs)
{
    QProcess find;
    find.start(
        QStringLiteral("bash"),
        {QStringLiteral("-c"), QStringLiteral("find %1 -printf '%p\\t%i %T@ %C@\\n'").arg(dirs)});
    find.waitForFinished(-1);
    QHash<QByteArray, QByteArray> state;
    for (const QByteArray &line : find.readAllStandardOutput().split('\n')) {
        const qsizetype tab = line.lastIndexOf('\t');
        if (tab > 0)
            state.insert(line.left(tab), line.mid(tab + 1));
    }
    return state;
}

// Entries added, removed or changed (new inode, new times) between two states.
int changedEntries(const QHash<QByteArray, QByteArray> &before,
                   const QHash<QByteArray, QByteArray> &after)
{
    int changed = 0;
    for (auto it = before.begin(); it != before.end(); ++it)
        changed += after.value(it.key()) != it.value();
    for (auto it = after.begin(); it != after.end(); ++it)
        changed += !before.contains(it.key());
    return changed;
}

// A run without the cache commands.
void linkAll()
{
    runEntriesLinker(RunMode::Apply, {});
}

// A dry run, its lines written where nobody reads them.
void dryRun()
{
    const QByteArray lines = describePlan(runEntriesLinker(RunMode::DryRun, {}));
    QFile null(QStringLiteral("/dev/null"));
    if (!null.open(QIODevice::WriteOnly) || null.write(lines) != lines.size())
        qFatal("cannot write the dry run's lines");
}

} // namespace

int main(int argc, char *argv[])
{
    QString reason;
    if (!SystemSandbox::enterPrivateNamespace(&reason)) {
        std::fprintf(stderr, "benchmark needs a private mount namespace: %s\n", qPrintable(reason));
        return 1;
    }
    QCoreApplication app(argc, argv);
    QProcess gcc;
    gcc.start(QStringLiteral("gcc"), {QStringLiteral("-dumpmachine")});
    gcc.waitForFinished();
    g_triplet = gcc.readAllStandardOutput().trimmed();

    QStringList managed;
    for (const QByteArray &dir : managedDirs())
        managed.append(QFile::decodeName(dir));
    const QString dirs = managed.join(QLatin1Char(' '));
    const QString find = QStringLiteral("find %1 -xtype l -delete").arg(dirs);
    const QString walk = QStringLiteral("find %1 /opt/apps/*/entries -false").arg(dirs);

    QList<double> clean, findTimes, first, copy, second, walkTimes, dry, freshWalkTimes;
    int secondRunWrites = 0;
    int dryRunWrites = 0;
    for (int round = 0; round < kRounds; ++round) {
        {
            Fresh tree;
            RunState run(RunMode::Apply, g_triplet);
            clean.append(seconds([&] { cleanLink(run); }));
        }
        {
            Fresh tree;
            findTimes.append(seconds([&] { shell(find); }));
        }
        {
            Fresh tree;
            freshWalkTimes.append(seconds([&] { shell(walk); }));
            const auto fresh = fileSystemState(dirs);
            dry.append(seconds(dryRun));
            dryRunWrites = std::max(dryRunWrites, changedEntries(fresh, fileSystemState(dirs)));
            first.append(seconds(linkAll));
            const auto before = fileSystemState(dirs);
            second.append(seconds(linkAll));
            secondRunWrites =
                std::max(secondRunWrites, changedEntries(before, fileSystemState(dirs)));
            walkTimes.append(seconds([&] { shell(walk); }));
        }
        {
            Fresh tree;
            shell(QStringLiteral("mkdir -p /opt/copy"));
            copy.append(seconds([] { shell(QStringLiteral("cp -rs /opt/apps /opt/copy/")); }));
        }
    }

    const double c = median(clean), f = median(findTimes), r1 = median(first), cp = median(copy),
                 r2 = median(second), w = median(walkTimes), d = median(dry),
                 wf = median(freshWalkTimes);
    std::printf("system tree: %d entries, %d links (%d dangling), %d applications; "
                "median of %d rounds\n",
                kSystemEntries, kLinks, kLinks / kDanglingEvery, kApps, kRounds);
    std::printf(
        "cleanup           %8.3f s   find -xtype l -delete %8.3f s   ratio %.2f (target <= 0.3)\n",
        c, f, c / f);
    std::printf(
        "first full run    %8.3f s   cp -rs                %8.3f s   ratio %.2f (target <= 1.0)\n",
        r1, cp, r1 / cp);
    std::printf("second run        %8.3f s   first run             %8.3f s   ratio %.2f\n", r2, r1,
                r2 / r1);
    std::printf(
        "second run        %8.3f s   find walk, no output  %8.3f s   ratio %.2f (target <= 1.5)\n",
        r2, w, r2 / w);
    std::printf(
        "--dry-run, fresh  %8.3f s   find walk, no output  %8.3f s   ratio %.2f (target <= 1.5)\n",
        d, wf, d / wf);
    std::printf("second run: %d entries of the managed directories added, removed or changed "
                "(most of any round; 0 expected)\n",
                secondRunWrites);
    std::printf("--dry-run: %d entries of the managed directories added, removed or changed "
                "(most of any round; 0 expected)\n",
                dryRunWrites);
    return 0;
}
