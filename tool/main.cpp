// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// app-entries-linker: makes the entries of the applications under /opt/apps
// visible to the system through symbolic links, after removing dangling ones.

#include "command_line.h"
#include "linker_run.h"
#include "run_lock.h"
#include "system_caches.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    const Request request = parseCommandLine(argc, argv);
    if (request == Request::Help || request == Request::Invalid) {
        std::fputs(kUsage, request == Request::Help ? stdout : stderr);
        return request == Request::Help ? 0 : 2;
    }
    // Held until exit: a second run waits here for this one to finish, and a
    // dry run sees no half-made run.
    const RunLock lock;
    QCoreApplication app(argc, argv);
    const bool dry = request == Request::DryRun;
    const Plan plan = runEntriesLinker(dry ? RunMode::DryRun : RunMode::Apply, updateSystemCaches);
    if (dry) {
        const QByteArray lines = describePlan(plan);
        if (std::fwrite(lines.constData(), 1, size_t(lines.size()), stdout) != size_t(lines.size()))
            return 1; // the changes could not be told
    }
    return 0;
}
