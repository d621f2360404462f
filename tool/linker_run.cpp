// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "linker_run.h"

#include "app_entries.h"
#include "clean_link.h"
#include "isolated_icons.h"
#include "link_dir.h"
#include "multiarch.h"

#include <QFile>

#include <sys/stat.h>

Plan runEntriesLinker(RunMode mode, const std::function<void()> &refreshCaches)
{
    umask(022);
    RunState run(mode, QFile::encodeName(getMultiarchTriplet()));
    cleanLink(run);
    run.apps() = runApps(enumAppInfoList(), run.table());
    RunApps &apps = run.apps();
    for (qsizetype i = 0; i < apps.apps().size(); ++i) {
        apps.setCurrent(i);
        linkAppEntries(apps.apps().at(i), run);
    }
    for (const LinkRow &row : run.table()) {
        if (row.subdirs == Subdirs::Real)
            unfoldLinksIntoApplications(row.target, run);
    }
    linkIsolatedIcons(run);
    if (mode == RunMode::Apply && refreshCaches)
        refreshCaches();
    return run.plan();
}
