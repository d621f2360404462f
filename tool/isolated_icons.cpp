// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "isolated_icons.h"

#include "fs_path.h"
#include "fs_walk.h"

#include <QDebug>
#include <QFile>
#include <QStringList>

#include <algorithm>

namespace {

using Type = PlannedTree::Type;

const QByteArray kIconsDir = QByteArrayLiteral("/usr/share/icons");
const QByteArray kThemeAppsDir = QByteArrayLiteral("/usr/share/icons/hicolor/scalable/apps");

bool hasIconSuffix(const QByteArray &name)
{
    static const QStringList suffixes = {QStringLiteral("png"), QStringLiteral("svg"),
                                         QStringLiteral("xpm")};
    const qsizetype dot = name.lastIndexOf('.');
    return dot >= 0 && suffixes.contains(QFile::decodeName(name.mid(dot + 1)).toLower());
}

// The names in /usr/share/icons, those the run links there included, in
// byte order so that a dry run tells them in the order the run takes them.
QList<QByteArray> iconNames(const RunState &run)
{
    QList<QByteArray> names = run.tree().plannedLinkNames(kIconsDir);
    for (TreeWalker walker(kIconsDir, TreeWalker::TopLevelOnly); walker.next();) {
        if (!walker.entry().isDir)
            names.append(walker.entry().name);
    }
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

// Plans the link target -> source; false when one is due and cannot be made.
bool planIcon(const QByteArray &source, const QByteArray &target, RunState &run)
{
    const PlannedTree &tree = run.tree();
    const PlannedTree::Entry found = tree.entryAt(target);
    Step step;
    step.path = target;
    step.target = source;
    step.entry = source;
    if (found.type == Type::Missing) {
        step.kind = Step::Kind::Add;
        run.plan(step);
        return true;
    }
    if (found.type != Type::Link)
        return true; // the theme's own file
    const QByteArray current = resolveLinkContent(target, found.link);
    if (current == source)
        return true;
    if (!tree.exists(target))
        return false; // a link the cleanup could not remove
    if (run.apps().isPlacedByAny(current, target) || tree.isSameFile(target, source))
        return true;
    step.kind = Step::Kind::Replace;
    step.was = found.link;
    run.plan(step);
    return true;
}

} // namespace

void linkIsolatedIcons(RunState &run)
{
    // The theme directory lies below a linked tree: it may be a link into an
    // application, which is never written to.
    const bool open = run.isTrusted(kThemeAppsDir) && run.tree().isDirectory(kThemeAppsDir);
    const PlannedTree &tree = run.tree();
    QList<PlannedLink> failed; // each link due that cannot be made
    for (const QByteArray &name : iconNames(run)) {
        if (!hasIconSuffix(name))
            continue;
        const QByteArray path = joinPath(kIconsDir, name);
        const PlannedTree::Entry found = tree.entryAt(path);
        if (tree.resolve(path).type != Type::File)
            continue;
        // An icon placed here as a link is linked straight to the file it names.
        const QByteArray source =
            found.type == Type::Link ? resolveLinkContent(path, found.link) : path;
        const QByteArray target = joinPath(kThemeAppsDir, name);
        if (!open || !planIcon(source, target, run))
            failed.append({target, source});
    }
    for (const Step &step : run.makePlanned())
        failed.append({step.path, step.entry});
    for (const PlannedLink &link : failed)
        qDebug() << "link failed:" << QFile::decodeName(link.target) << "=>"
                 << QFile::decodeName(link.path);
}
