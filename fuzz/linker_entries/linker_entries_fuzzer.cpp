// Fuzzes what the linker reads from the installation: the info files under
// /opt/apps and the entries trees, through enumAppInfoList and linkAppEntries
// as a run calls them, against the real fixed paths. The process lives in a
// private mount namespace; each input gets copy-on-write overlays over /opt,
// /usr/share, /etc and /usr/lib and an empty /opt/apps, which vanish after it.
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

const QList<QByteArray> kOverlaid = {"/opt", "/usr/share", "/etc", "/usr/lib"};
const QByteArray kAppsRoot = "/opt/apps";

QList<QByteArray> g_targetDirs;

QList<QByteArray> targetDirs()
{
    QList<QByteArray> dirs;
    for (const char *name : {"GConf", "applications", "dbus-1/services", "doc", "fcitx", "fonts",
                             "glib-2.0", "help", "icons", "locale", "mime", "polkit-1"})
        dirs.append(QByteArray("/usr/share/") + name);
    dirs << "/etc/fonts/conf.d"
         << "/etc/xdg/autostart"
         << "/usr/lib/mozilla/plugins"
         << absoluteCleanPath("/usr/lib/" + QFile::encodeName(getMultiarchTriplet()) + "/fcitx");
    return dirs;
}

void fail(const char *what, const QByteArray &path, const QByteArray &detail = QByteArray())
{
    std::fprintf(stderr, "linker_entries: %s: %s %s\n", what, path.constData(),
                 detail.constData());
    std::abort();
}

bool isInTarget(const QByteArray &path)
{
    return std::any_of(g_targetDirs.begin(), g_targetDirs.end(), [&](const QByteArray &dir) {
        return path == dir || isBelow(path, dir);
    });
}

// The directories above the target directories and /opt/apps, which a run
// (or the sandbox) may make.
bool isAboveTarget(const QByteArray &path)
{
    const auto above = [&](const QByteArray &dir) { return isBelow(dir, path); };
    return std::any_of(g_targetDirs.begin(), g_targetDirs.end(), above) || path == kAppsRoot ||
           above(kAppsRoot);
}

bool hasTemporaryName(const QByteArray &path)
{
    const QList<QByteArray> names = path.split('/');
    return std::any_of(names.begin(), names.end(),
                       [](const QByteArray &name) { return isTemporaryName(name.constData()); });
}

// Everything the overlays hold, by system path: what differs from the host.
QMap<QByteArray, QByteArray> systemChanges(const SystemSandbox &sandbox)
{
    QMap<QByteArray, QByteArray> changes;
    for (const QByteArray &point : kOverlaid) {
        const QMap<QByteArray, QByteArray> upper = TreeUtil::snapshot(sandbox.upperDir(point));
        for (auto it = upper.cbegin(); it != upper.cend(); ++it)
            changes.insert(point + '/' + it.key(), it.value());
    }
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
        std::exit(77);
    }
    g_targetDirs = targetDirs();
    // "link failed:" and the like are formatted but not printed.
    qInstallMessageHandler(discardMessage);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    SystemSandbox sandbox;
    if (!sandbox.setUp()) {
        std::fprintf(stderr, "linker_entries: cannot lay the overlays\n");
        std::exit(1);
    }
    const QMap<QByteArray, QByteArray> planted = layOutInput(
        QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)), g_targetDirs);
    const QMap<QByteArray, QByteArray> installed = TreeUtil::snapshot(kAppsRoot);

    linkInstallation();
    const QMap<QByteArray, QByteArray> changes = systemChanges(sandbox);
    checkChanges(changes, planted);
    if (TreeUtil::snapshot(kAppsRoot) != installed)
        fail("changed below", kAppsRoot);

    linkInstallation();
    if (systemChanges(sandbox) != changes)
        fail("second run changed the system", "/");

    sandbox.tearDown();
    return 0;
}
