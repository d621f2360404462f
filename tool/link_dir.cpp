#include "link_dir.h"

#include "fs_path.h"
#include "fs_walk.h"
#include "place_link.h"
#include "unfold_dir_link.h"

#include <QDebug>
#include <QDir>
#include <QFile>

namespace {

// Makes dst a link to the entry, or leaves it where it should stay; false
// when a link was due and could not be made.
bool linkEntry(const WalkEntry &entry, const QByteArray &dst, const RunApps &run)
{
    if (isSymLink(dst) && existsFollowingLinks(dst)) {
        const QByteArray current = absoluteLinkTarget(dst);
        if (current == entry.path)
            return true;
        // Replacing another application's directory link would hide all its
        // entries; a real directory holds both applications' entries.
        if (entry.isDir && run.isOtherApp(current) && isDirectory(dst))
            return unfoldDirLink(dst, current);
        // The later application places this link again; keeping it spares an
        // unchanged installation a rewrite on every run.
        if (run.isLaterApp(current))
            return true;
    }
    return placeLink(entry.path, dst);
}

} // namespace

void linkDir(const QString &source, const QString &target, const RunApps &run)
{
    const QByteArray sourceDir = absoluteCleanPath(QFile::encodeName(source));
    if (!existsFollowingLinks(sourceDir))
        return;

    const QByteArray targetDir = absoluteCleanPath(QFile::encodeName(target));
    QDir().mkpath(QFile::decodeName(parentPath(targetDir)));

    for (TreeWalker walker(sourceDir); walker.next();) {
        const WalkEntry &entry = walker.entry();
        if (!isFileOrDirectory(entry)) {
            walker.skipChildren();
            continue;
        }
        const QByteArray dst = joinPath(targetDir, entry.relPath);
        if (!linkEntry(entry, dst, run))
            qDebug() << "link failed:" << QFile::decodeName(entry.path) << "=>"
                     << QFile::decodeName(dst);
        // Below a link at dst every entry would be reached through that link:
        // inside the application's own tree or another one's. Nothing there is
        // the system's to change, so such a subtree is not walked.
        if (isSymLink(dst) && existsFollowingLinks(dst))
            walker.skipChildren();
    }
}
