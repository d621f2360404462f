// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "link_dir.h"

#include "fs_path.h"
#include "fs_walk.h"
#include "trusted_target.h"

#include <QDebug>
#include <QFile>

#include <sys/stat.h>

namespace {

using Type = PlannedTree::Type;

// What dst is once the step for an entry is made, and so whether the walk
// goes on below the entry.
enum class Outcome {
    Link,      // a link: what lies below is the application's
    Directory, // a real directory: the entries below are linked into it
    Occupied,  // a file of the system's: nothing below can be linked
    Failed,    // the entry cannot be linked, nor anything below it
};

Step linkStep(Step::Kind kind, const QByteArray &dst, const QByteArray &src,
              const QByteArray &was = QByteArray())
{
    Step step;
    step.kind = kind;
    step.path = dst;
    step.target = src;
    step.was = was;
    step.entry = src;
    return step;
}

// The links that show, in place of the link dst, the entries of the
// directory dir it leads to.
QList<PlannedLink> entriesOf(const QByteArray &dir, const QByteArray &dst)
{
    QList<PlannedLink> links;
    for (TreeWalker walker(dir, TreeWalker::TopLevelOnly); walker.next();) {
        const WalkEntry &entry = walker.entry();
        if (isFileOrDirectory(entry))
            links.append({joinPath(dst, entry.name), entry.path()});
    }
    return links;
}

Step unfoldStep(const QByteArray &dst, const QByteArray &was, const QByteArray &src,
                const QList<PlannedLink> &inside)
{
    Step step = linkStep(Step::Kind::Unfold, dst, QByteArray(), was);
    step.entry = src;
    step.inside = inside;
    return step;
}

// Where dst is no link: what it is, a missing one made by step (then made).
// False for a link.
bool planUnlessLink(const PlannedTree::Entry &found, const Step &step, Outcome made, RunState &run,
                    Outcome *outcome)
{
    switch (found.type) {
    case Type::Missing:
        run.plan(step);
        *outcome = made;
        return true;
    case Type::Directory:
        *outcome = Outcome::Directory;
        return true;
    case Type::File:
    case Type::Special:
        *outcome = Outcome::Occupied;
        return true;
    case Type::Link:
        break;
    }
    return false;
}

bool leadsToDirectory(const WalkEntry &entry)
{
    struct stat st = {};
    return entry.isDir || (fstatat(entry.dirFd, entry.name, &st, 0) == 0 && S_ISDIR(st.st_mode));
}

// A directory where the cache commands write: always a real one.
Outcome planRealDirectory(const WalkEntry &entry, const QByteArray &src, const QByteArray &dst,
                          RunState &run)
{
    // A link to a directory here would let the commands write where it leads.
    if (entry.isSymLink)
        return Outcome::Failed;
    const PlannedTree &tree = run.tree();
    const PlannedTree::Entry found = tree.entryAt(dst);
    Step make = linkStep(Step::Kind::MakeDir, dst, QByteArray());
    make.entry = src;
    Outcome outcome = Outcome::Directory;
    if (planUnlessLink(found, make, Outcome::Directory, run, &outcome))
        return outcome;
    // The entries of an application's directory stay; a link to anything
    // else gives way to the entries of this one.
    const QByteArray current = resolveLinkContent(dst, found.link);
    const bool keeps = tree.isDirectory(dst) && run.apps().isPlacedByAny(current, dst);
    run.plan(
        unfoldStep(dst, found.link, src, keeps ? entriesOf(current, dst) : QList<PlannedLink>()));
    return Outcome::Directory;
}

Outcome planEntry(const WalkEntry &entry, const QByteArray &src, const QByteArray &dst,
                  RunState &run)
{
    const PlannedTree &tree = run.tree();
    const PlannedTree::Entry found = tree.entryAt(dst);
    Outcome outcome = Outcome::Link;
    if (planUnlessLink(found, linkStep(Step::Kind::Add, dst, src), Outcome::Link, run, &outcome))
        return outcome;
    const QByteArray current = resolveLinkContent(dst, found.link);
    if (current == src)
        return Outcome::Link;
    // A link the cleanup could not remove.
    if (!tree.exists(dst))
        return Outcome::Failed;
    // dst already shows the entry. Where the source is reached through dst
    // itself (an entries tree that leads back into the system directory), a
    // link to it would point at itself.
    if (tree.isSameFile(src, dst))
        return Outcome::Link;
    const RunApps &apps = run.apps();
    // Replacing another application's directory link would hide all its
    // entries; a real directory holds both applications' entries. A file
    // cannot join them, as it cannot where a real directory stands.
    if (apps.isPlacedByOther(current, dst) && tree.isDirectory(dst)) {
        if (!entry.isDir)
            return Outcome::Failed;
        run.plan(unfoldStep(dst, found.link, src, entriesOf(current, dst)));
        return Outcome::Directory;
    }
    // The later application places this link again; keeping it spares an
    // unchanged installation a rewrite on every run.
    if (apps.isPlacedByLater(current, dst))
        return Outcome::Link;
    run.plan(linkStep(Step::Kind::Replace, dst, src, found.link));
    return Outcome::Link;
}

// Plans the directories missing above dir, the highest first.
void planParents(const QByteArray &dir, RunState &run)
{
    QList<QByteArray> missing;
    for (QByteArray level = dir; level != "/"; level = parentPath(level)) {
        if (run.tree().isDirectory(level))
            break;
        if (run.tree().entryAt(level).type != Type::Missing)
            return; // something else is there: the links below fail
        missing.prepend(level);
    }
    for (const QByteArray &level : missing) {
        Step step;
        step.kind = Step::Kind::MakeDir;
        step.path = level;
        run.plan(step);
    }
}

} // namespace

void linkDir(const QByteArray &source, const QByteArray &target, Subdirs subdirs, RunState &run)
{
    const QByteArray sourceDir = absoluteCleanPath(source);
    if (!existsFollowingLinks(sourceDir))
        return;

    const QByteArray targetDir = absoluteCleanPath(target);
    // A target that leads to a place not the system's alone counts as missing.
    const bool trusted = run.isTrusted(targetDir);
    if (trusted)
        planParents(parentPath(targetDir), run);
    // Nothing can be linked into a target directory that is missing, nor
    // below a file that stands where the entry's directory would be.
    const bool open = trusted && run.tree().isDirectory(targetDir);
    QByteArray occupied;
    QList<PlannedLink> failed; // each link due that cannot be made

    for (TreeWalker walker(sourceDir); walker.next();) {
        const WalkEntry &entry = walker.entry();
        if (!isFileOrDirectory(entry)) {
            walker.skipChildren();
            continue;
        }
        const QByteArray rel = entry.relPath();
        const QByteArray src = entry.path();
        const QByteArray dst = joinPath(targetDir, rel);
        if (!open || (!occupied.isEmpty() && isAtOrBelow(rel, occupied))) {
            failed.append({dst, src});
            continue;
        }
        const bool realDirectory =
            subdirs == Subdirs::Real && !rel.contains('/') && leadsToDirectory(entry);
        switch (realDirectory ? planRealDirectory(entry, src, dst, run)
                              : planEntry(entry, src, dst, run)) {
        case Outcome::Link:
            walker.skipChildren();
            break;
        case Outcome::Directory:
            break;
        case Outcome::Occupied:
            occupied = rel;
            break;
        case Outcome::Failed:
            failed.append({dst, src});
            walker.skipChildren();
            break;
        }
    }
    for (const Step &step : run.makePlanned()) {
        if (!step.entry.isEmpty())
            failed.append({step.path, step.entry});
    }
    for (const PlannedLink &link : failed)
        qDebug() << "link failed:" << QFile::decodeName(link.target) << "=>"
                 << QFile::decodeName(link.path);
}

void unfoldLinksIntoApplications(const QByteArray &target, RunState &run)
{
    const QByteArray targetDir = absoluteCleanPath(target);
    if (!run.isTrusted(targetDir))
        return;
    for (TreeWalker walker(targetDir, TreeWalker::TopLevelOnly); walker.next();) {
        const WalkEntry &entry = walker.entry();
        const QByteArray dst = entry.path();
        const PlannedTree::Entry found = run.tree().entryAt(dst);
        if (!entry.isSymLink || found.type != Type::Link || found.planned ||
            !run.tree().isDirectory(dst) || !isInApplications(realPath(dst)))
            continue;
        const QByteArray current = resolveLinkContent(dst, found.link);
        run.plan(unfoldStep(dst, found.link, current, entriesOf(current, dst)));
    }
    for (const Step &step : run.makePlanned())
        qDebug() << "link failed:" << QFile::decodeName(step.entry) << "=>"
                 << QFile::decodeName(step.path);
}
