// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "link_dir.h"

#include "fs_path.h"
#include "fs_walk.h"
#include "place_link.h"
#include "trusted_target.h"
#include "unfold_dir_link.h"

#include <QDebug>
#include <QDir>
#include <QFile>

namespace {

enum class Outcome {
    Kept,   // dst is a link that leads somewhere and stays as it is
    Placed, // dst is as it should be now
    Failed, // a link was due and could not be made
};

Outcome linkEntry(const WalkEntry &entry, const QByteArray &dst, const RunApps &run)
{
    const QByteArray current = absoluteLinkTarget(dst); // empty when dst is no link
    if (!current.isEmpty() && existsFollowingLinks(dst)) {
        if (current == entry.path)
            return Outcome::Kept;
        // dst already shows the entry. Where the source is reached through dst
        // itself (an entries tree that leads back into the system directory), a
        // link to it would point at itself.
        if (isSameFile(entry.path, dst))
            return Outcome::Kept;
        // Replacing another application's directory link would hide all its
        // entries; a real directory holds both applications' entries.
        if (entry.isDir && run.isOtherApp(current) && isDirectory(dst))
            return unfoldDirLink(dst, current) ? Outcome::Placed : Outcome::Failed;
        // The later application places this link again; keeping it spares an
        // unchanged installation a rewrite on every run.
        if (run.isLaterApp(current))
            return Outcome::Kept;
    }
    return placeLink(entry.path, dst) ? Outcome::Placed : Outcome::Failed;
}

} // namespace

void linkDir(const QString &source, const QString &target, const RunApps &run)
{
    const QByteArray sourceDir = absoluteCleanPath(QFile::encodeName(source));
    if (!existsFollowingLinks(sourceDir))
        return;

    const QByteArray targetDir = absoluteCleanPath(QFile::encodeName(target));
    // A target that leads to a place not the system's alone counts as missing.
    const bool trusted = isTrustedTarget(targetDir);
    if (trusted)
        QDir().mkpath(QFile::decodeName(parentPath(targetDir)));

    for (TreeWalker walker(sourceDir); walker.next();) {
        const WalkEntry &entry = walker.entry();
        if (!isFileOrDirectory(entry)) {
            walker.skipChildren();
            continue;
        }
        const QByteArray dst = joinPath(targetDir, entry.relPath);
        const Outcome outcome = trusted ? linkEntry(entry, dst, run) : Outcome::Failed;
        if (outcome == Outcome::Failed)
            qDebug() << "link failed:" << QFile::decodeName(entry.path) << "=>"
                     << QFile::decodeName(dst);
        // Below a link at dst every entry would be reached through that link:
        // inside the application's own tree or another one's. Nothing there is
        // the system's to change, so such a subtree is not walked.
        if (trusted && (outcome == Outcome::Kept || (isSymLink(dst) && existsFollowingLinks(dst))))
            walker.skipChildren();
    }
}
