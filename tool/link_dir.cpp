#include "link_dir.h"

#include "fs_path.h"
#include "fs_walk.h"
#include "place_link.h"

#include <QDebug>
#include <QDir>
#include <QFile>

#include <sys/stat.h>

namespace {

// Only files and directories are mirrored; a link counts as what it points to.
bool isFileOrDirectory(const WalkEntry &entry)
{
    if (entry.isDir)
        return true;
    struct stat st;
    if (fstatat(entry.dirFd, entry.name, &st, 0) != 0)
        return false;
    return S_ISREG(st.st_mode) || S_ISDIR(st.st_mode);
}

} // namespace

void linkDir(const QString &source, const QString &target)
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
        if (!placeLink(entry.path, dst))
            qDebug() << "link failed:" << QFile::decodeName(entry.path) << "=>"
                     << QFile::decodeName(dst);
        // Below a link at dst every entry would be reached through that link:
        // inside the application's own tree or another one's. Nothing there is
        // the system's to change, so such a subtree is not walked.
        if (isSymLink(dst) && existsFollowingLinks(dst))
            walker.skipChildren();
    }
}
