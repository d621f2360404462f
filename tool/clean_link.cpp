// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "clean_link.h"

#include "fs_path.h"
#include "fs_walk.h"
#include "temporary.h"

#include <QDebug>
#include <QFile>
#include <QString>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

// A link whose chain of targets ends nowhere (or loops) points at nothing.
bool isDangling(const WalkEntry &entry)
{
    struct stat st = {};
    if (fstatat(entry.dirFd, entry.name, &st, 0) == 0)
        return false;
    return errno == ENOENT || errno == ENOTDIR || errno == ELOOP;
}

} // namespace

void planDeadLinkRemoval(const QByteArray &dir, RunState &run)
{
    for (TreeWalker walker(absoluteCleanPath(dir), TreeWalker::Recursive,
                           TreeWalker::ListTemporaries);
         walker.next();) {
        const WalkEntry &entry = walker.entry();
        // Only one run at a time, so a temporary of the linker's making met
        // here is an interrupted run's.
        if (entry.isTemporary ? isLinkerTemporary(entry.dirFd, entry.name)
                              : entry.isSymLink && isDangling(entry)) {
            Step step;
            step.kind = Step::Kind::Remove;
            step.path = entry.path();
            run.plan(step);
        }
    }
}

void cleanLink(RunState &run)
{
    const auto scan = [&run](const QString &dir) {
        // Links elsewhere are not the linker's to clean.
        if (!run.isTrusted(QFile::encodeName(dir)))
            return;
        planDeadLinkRemoval(QFile::encodeName(dir), run);
        for (const Step &step : run.makePlanned())
            qDebug() << "remove dead link failed:" << QFile::decodeName(step.path);
    };
    for (const LinkRow &row : run.table())
        scan(QFile::decodeName(row.target));
}
