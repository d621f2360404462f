// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// Fuzzes what the linker reads from the installation: the info files under
// /opt/apps and the entries trees, through whole runs against the real fixed
// paths: cleanup, linking and loose icons, with the cache commands replaced by
// a stand-in that writes a cache file into each directory each command is
// given, through links as the real commands go. The process lives in a
// private mount namespace. Each input gets copy-on-write overlays over /opt,
// /etc and /usr/lib and empty file systems of its own over /opt/apps,
// /usr/share and the directories the target directories of /etc and /usr/lib
// lie in, which vanish after it: the input alone says what the system has
// there, whatever the machine.
//
// It aborts when a dry run changes anything or plans other steps than the run
// after it makes; when the run changes anything outside the target
// directories (beyond making the directories above them), or anything below
// /opt/apps (the caches included), makes a link that points anywhere but into
// /opt/apps (or, in the fallback theme, at a loose icon) or leads nowhere,
// makes a directory whose mode is not 0755 (the umask is 077), or leaves a
// temporary name behind; or when a second run over the same installation
// plans or writes anything.

#include "fs_path.h"
#include "fs_walk.h"
#include "input_tree.h"
#include "link_table.h"
#include "linker_run.h"
#include "multiarch.h"
#include "system_sandbox.h"
#include "temporary.h"
#include "tree_util.h"

#include <QFile>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QList<QByteArray> kOverlaid = {"/opt", "/etc", "/usr/lib"};
const QByteArray kIconsDir = "/usr/share/icons";
const QByteArray kThemeAppsDir = "/usr/share/icons/hicolor/scalable/apps";

QList<QByteArray> g_targetDirs;
QList<QByteArray> g_emptyRoots;

void fail(const char *what, const QByteArray &path, const QByteArray &detail = QByteArray())
{
    std::fprintf(stderr, "linker_entries: %s: %s %s\n", what, path.constData(), detail.constData());
    std::abort();
}

bool isInTarget(const QByteArray &path)
{
    return std::any_of(g_targetDirs.begin(), g_targetDirs.end(),
                       [&](const QByteArray &dir) { return isAtOrBelow(path, dir); });
}

// The directories above the target directories and /opt/apps, which a run
// (or the sandbox) may make.
bool isAboveTarget(const QByteArray &dir)
{
    const auto above = [&](const QByteArray &path) {
        return path != dir && isAtOrBelow(path, dir);
    };
    return std::any_of(g_targetDirs.begin(), g_targetDirs.end(), above) || dir == kAppsRoot ||
           above(kAppsRoot);
}

bool hasTemporaryName(const QByteArray &path)
{
    const QList<QByteArray> names = path.split('/');
    return std::any_of(names.begin(), names.end(),
                       [](const QByteArray &name) { return isTemporaryName(name.constData()); });
}

// The cache file a command writes into dir, where dir is a directory (a link
// followed): under a temporary name first, then renamed into place, as the
// real commands do.
void writeCache(const QByteArray &dir, const QByteArray &name)
{
    if (!isDirectory(dir))
        return;
    const QByteArray temporary = joinPath(dir, "." + name + ".new");
    const int fd = open(temporary.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    close(fd);
    if (rename(temporary.constData(), joinPath(dir, name).constData()) != 0)
        unlink(temporary.constData());
}

// Each directory in dir that a shell's "dir/*" names, but skip.
QList<QByteArray> directoriesIn(const QByteArray &dir, const QByteArray &skip = QByteArray())
{
    QList<QByteArray> dirs;
    for (TreeWalker walker(dir, TreeWalker::TopLevelOnly); walker.next();) {
        const QByteArray path = walker.entry().path();
        if (walker.entry().name != skip && isDirectory(path))
            dirs.append(path);
    }
    return dirs;
}

// The four cache commands, each writing where the real one writes.
void refreshCaches()
{
    writeCache("/usr/share/glib-2.0/schemas", "gschemas.compiled");
    writeCache("/usr/share/applications", "mimeinfo.cache");
    writeCache("/usr/share/mime", "mime.cache");
    for (const QByteArray &media : directoriesIn("/usr/share/mime", "packages"))
        writeCache(media, "x-stand-in.xml");
    for (const QByteArray &theme : directoriesIn(kIconsDir))
        writeCache(theme, "icon-theme.cache");
}

// Every entry in the sandbox's system directories and below /opt/apps, by
// system path, described as TreeUtil::snapshot does; a link or directory
// with its inode, and a directory with its mode, too.
QMap<QByteArray, QByteArray> systemState(const SystemSandbox &sandbox, bool withInodes)
{
    QMap<QByteArray, QByteArray> state;
    const auto add = [&](const QByteArray &root, const QByteArray &dir) {
        const QMap<QByteArray, QByteArray> entries = TreeUtil::snapshot(dir);
        for (auto it = entries.cbegin(); it != entries.cend(); ++it) {
            QByteArray kind = it.value();
            struct stat st = {};
            if (kind == "dir" && lstat((dir + '/' + it.key()).constData(), &st) == 0)
                kind += " " + QByteArray::number(st.st_mode & 07777, 8);
            if (withInodes && kind != "file" && lstat((dir + '/' + it.key()).constData(), &st) == 0)
                kind += " #" + QByteArray::number(qulonglong(st.st_ino));
            state.insert(root + '/' + it.key(), kind);
        }
    };
    for (const QByteArray &point : kOverlaid)
        add(point, sandbox.upperDir(point));
    for (const QByteArray &root : qAsConst(g_emptyRoots))
        add(root, root);
    return state;
}

// Whether content is what the loose-icon step links path, in the fallback
// theme, to: the loose icon of the same name, or the file that one links to.
bool isLooseIconLink(const QByteArray &path, const QByteArray &content)
{
    if (parentPath(path) != kThemeAppsDir)
        return false;
    const QByteArray loose = joinPath(kIconsDir, baseName(path));
    return content == loose || content == absoluteLinkTarget(loose);
}

void checkChanges(const QMap<QByteArray, QByteArray> &changes,
                  const QMap<QByteArray, QByteArray> &planted)
{
    for (auto it = changes.cbegin(); it != changes.cend(); ++it) {
        const QByteArray &path = it.key();
        const QByteArray kind = it.value().startsWith("dir") ? QByteArray("dir") : it.value();
        if (isAtOrBelow(path, kAppsRoot))
            continue; // compared as a whole
        if (planted.value(path) == kind)
            continue;
        if (!isInTarget(path)) {
            if (kind != "dir" || !isAboveTarget(path))
                fail("changed outside the target directories", path, kind);
        } else if (hasTemporaryName(path)) {
            fail("temporary name left", path, kind);
        }
        if (kind == "dir" && it.value() != "dir 755")
            fail("directory made with another mode than 0755", path, it.value());
        if (!kind.startsWith("-> "))
            continue;
        const QByteArray content = kind.mid(3);
        if ((!content.startsWith(QByteArray(kAppsRoot) + '/') && !isLooseIconLink(path, content)) ||
            hasTemporaryName(content))
            fail("link to elsewhere", path, kind);
        if (!existsFollowingLinks(path))
            fail("link that leads nowhere", path, kind);
    }
}

QMap<QByteArray, QByteArray> appsTree()
{
    return TreeUtil::snapshot(kAppsRoot);
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
    g_emptyRoots = {"/usr/share", "/etc/xdg", "/etc/fonts", "/usr/lib/mozilla"};
    for (const LinkRow &row : linkTable(QFile::encodeName(getMultiarchTriplet()))) {
        g_targetDirs.append(row.target);
        if (row.source == "plugins/fcitx")
            g_emptyRoots.append(row.target);
    }
    // "link failed:" and the like are formatted but not printed.
    qInstallMessageHandler(discardMessage);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    umask(022);
    SystemSandbox sandbox;
    const auto emptied = [&](const QByteArray &root) { return sandbox.mountTmpfs(root, 0); };
    if (!sandbox.setUp() || !std::all_of(g_emptyRoots.begin(), g_emptyRoots.end(), emptied))
        fail("cannot lay out the file systems over", "/");
    // Whatever the caller's umask, what the run makes is 0755.
    umask(077);
    const QMap<QByteArray, QByteArray> planted =
        layOutInput(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)), g_targetDirs,
                    g_emptyRoots + QList<QByteArray>{QByteArray(kAppsRoot)});
    const QMap<QByteArray, QByteArray> installed = appsTree();

    const QMap<QByteArray, QByteArray> before = systemState(sandbox, true);
    const QByteArray dry = describePlan(runEntriesLinker(RunMode::DryRun, refreshCaches));
    // cppcheck-suppress knownConditionTrueFalse ; the dry run must leave the file system alone
    if (systemState(sandbox, true) != before)
        fail("dry run changed the system", "/");

    umask(077);
    const QByteArray made = describePlan(runEntriesLinker(RunMode::Apply, refreshCaches));
    if (made != dry)
        fail("dry run planned other steps than the run made:\n", dry, "\nthe run:\n" + made);
    checkChanges(systemState(sandbox, false), planted);
    if (appsTree() != installed)
        fail("changed below", kAppsRoot);

    const QMap<QByteArray, QByteArray> linked = systemState(sandbox, true);
    const QByteArray again = describePlan(runEntriesLinker(RunMode::Apply, refreshCaches));
    if (!again.isEmpty())
        fail("second run changed the system:\n", again);
    // cppcheck-suppress knownConditionTrueFalse ; the run in between could write
    if (systemState(sandbox, true) != linked)
        fail("second run wrote to the system", "/");

    sandbox.tearDown();
    return 0;
}
