// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// app-entries-linker: makes the entries of the applications under /opt/apps
// visible to the system through symbolic links, after removing dangling ones.

#include "app_entries.h"
#include "clean_link.h"
#include "isolated_icons.h"
#include "run_lock.h"
#include "system_caches.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    // Held until exit: a second run waits here for this one to finish.
    const RunLock lock;
    QCoreApplication app(argc, argv);
    cleanLink();
    const QList<QJsonObject> infos = enumAppInfoList();
    RunApps run = runApps(infos);
    for (run.current = 0; run.current < infos.size(); ++run.current)
        linkAppEntries(infos.at(run.current), run);
    linkIsolatedIcons();
    updateSystemCaches();
    return 0;
}
