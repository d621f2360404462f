// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// Fuzzes what the linker reads from the installation: the info files under
// /opt/apps and the entries trees, through enumAppInfoList and linkAppEntries
// as a run calls them, against the real fixed paths. The process lives in a
// private mount namespace. Each input gets copy-on-write overlays over /opt,
// /etc and /usr/lib and empty file systems of its own over /opt/apps,
// /usr/share and the directories the target directories of /etc and /usr/lib
// lie in, which vanish after it: the input alone says what the system has
// there, whatever the machine.
//
// After the run it checks what the linker must never do, and aborts if it did:
// change anything outside the target directories (beyond making the
// directories above them), change anything below /opt/apps, make a link that
// points anywhere but into /opt/apps or leads nowhere, leave a temporary name
// behind, or find anything to change when run again over the same
// installation.

#include "app_entries.h"
#include "fs_path.h"
#include "input_tree.h"
#include "multiarch.h"
#include "system_sandbox.h"
#include "temporary.h"
#include "tree_util.h"

#include <QFile>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

const QList<QByteArray> kOverlaid = {"/opt", "/etc", "/usr/lib"};
const QByteArray kAppsRoot = "/opt/apps";

QList<QByteArray> g_targetDirs;
QList<QByteArray> g_emptyRoots;

QList<QByteArray> targetDirs(const QByteArray &fcitxPlugins)
{
    QList<QByteArray> dirs;
    for (const char *name : {"GConf", "applications", "dbus-1/services", "doc", "fcitx", "fonts",
                             "glib-2.0", "help", "icons", "locale", "mime", "polkit-1"})
        dirs.append(QByteArray("/usr/share/") + name);
    dirs << "/etc/fonts/conf.d"
         << "/etc/xdg/autostart"
         << "/usr/lib/mozilla/plugins" << fcitxPlugins;
    return dirs;
}

void fail(const char *what, const QByteArray &path, const QByteArray &detail = QByteArray())
{
    std::fprintf(stderr, "linker_entries: %s: %s %s\n", what, path.constData(), detail.constData());
    std::abort();
}

bool isInTarget(const QByteArray &path)
{
    return std::any_of(g_targetDirs.begin(), g_targetDirs.end(),
                       [&](const QByteArray &dir) { return path == dir || isBelow(path, dir); });
}

// The directories above the target directories and /opt/apps, which a run
// (or the sandbox) may make.
bool isAboveTarget(const QByteArray &dir)
{
    const auto above = [&](const QByteArray &path) { return isBelow(path, dir); };
    return std::any_of(g_targetDirs.begin(), g_targetDirs.end(), above) || dir == kAppsRoot ||
           above(kAppsRoot);
}

bool hasTemporaryName(const QByteArray &path)
{
    const QList<QByteArray> names = path.split('/');
    return std::any_of(names.begin(), names.end(),
                       [](const QByteArray &name) { return isTemporaryName(name.constData()); });
}

// What differs from the host, by system path: everything the overlays and
// the empty roots hold.
QMap<QByteArray, QByteArray> systemChanges(const SystemSandbox &sandbox)
{
    QMap<QByteArray, QByteArray> changes;
    const auto add = [&](const QByteArray &root, const QByteArray &dir) {
        const QMap<QByteArray, QByteArray> entries = TreeUtil::snapshot(dir);
        for (auto it = entries.cbegin(); it != entries.cend(); ++it)
            changes.insert(root + '/' + it.key(), it.value());
    };
    for (const QByteArray &point : kOverlaid)
        add(point, sandbox.upperDir(point));
    for (const QByteArray &root : qAsConst(g_emptyRoots))
        add(root, root);
    return changes;
}

void checkChanges(const QMap<QByteArray, QByteArray> &changes,
                  const QMap<QByteArray, QByteArray> &planted)
{
    for (auto it = changes.cbegin(); it != changes.cend(); ++it) {
        const QByteArray &path = it.key();
        const QByteArray &kind = it.value();
        if (!isInTarget(path)) {
            if (kind != "dir" || !isAboveTarget(path))
                fail("changed outside the target directories", path, kind);
            continue;
        }
        if (planted.value(path) == kind)
            continue;
        if (hasTemporaryName(path))
            fail("temporary name left", path, kind);
        if (!kind.startsWith("-> "))
            continue;
        const QByteArray content = kind.mid(3);
        if (!content.startsWith(kAppsRoot + '/') || hasTemporaryName(content))
            fail("link to elsewhere", path, kind);
        if (!existsFollowingLinks(path))
            fail("link that leads nowhere", path, kind);
    }
}

void linkInstallation()
{
    const QList<QJsonObject> infos = enumAppInfoList();
    RunApps run = runApps(infos);
    for (run.current = 0; run.current < infos.size(); ++run.current)
        linkAppEntries(infos.at(run.current), run);
}

void discardMessage(QtMsgType, const QMessageLogContext &, const QString &) {}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    QString reason;
    if (!SystemSandbox::enterPrivateNamespace(&reason)) {
        std::fprintf(stderr, "linker_entries: %s\n", qPrintable(reason));
        std::exit(77); // NOLINT(concurrency-mt-unsafe): no other thread exists yet
    }
    const QByteArray fcitxPlugins =
        absoluteCleanPath("/usr/lib/" + QFile::encodeName(getMultiarchTriplet()) + "/fcitx");
    g_targetDirs = targetDirs(fcitxPlugins);
    g_emptyRoots = {"/usr/share", "/etc/xdg", "/etc/fonts", "/usr/lib/mozilla", fcitxPlugins};
    // "link failed:" and the like are formatted but not printed.
    qInstallMessageHandler(discardMessage);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    SystemSandbox sandbox;
    const auto emptied = [&](const QByteArray &root) { return sandbox.mountTmpfs(root, 0); };
    if (!sandbox.setUp() || !std::all_of(g_emptyRoots.begin(), g_emptyRoots.end(), emptied))
        fail("cannot lay out the file systems over", "/");
    const QMap<QByteArray, QByteArray> planted =
        layOutInput(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)), g_targetDirs,
                    g_emptyRoots + QList<QByteArray>{kAppsRoot});
    const QMap<QByteArray, QByteArray> installed = TreeUtil::snapshot(kAppsRoot);

    linkInstallation();
    const QMap<QByteArray, QByteArray> changes = systemChanges(sandbox);
    checkChanges(changes, planted);
    if (TreeUtil::snapshot(kAppsRoot) != installed)
        fail("changed below", kAppsRoot);

    linkInstallation();
    // cppcheck-suppress knownConditionTrueFalse ; the run in between changes the file system
    if (systemChanges(sandbox) != changes)
        fail("second run changed the system", "/");

    sandbox.tearDown();
    return 0;
}
