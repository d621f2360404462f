// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "command_line.h"

#include <cstring>

const char kUsage[] =
    "Usage: app-entries-linker [--dry-run]\n"
    "\n"
    "Removes dangling links from the system directories the linker manages, links\n"
    "the entries of every application under /opt/apps into them, links the icons\n"
    "lying loose in /usr/share/icons into the hicolor theme and refreshes the\n"
    "system caches.\n"
    "\n"
    "  --dry-run  print what a run would change, one line each, and change nothing:\n"
    "             add PATH -> TARGET, replace PATH -> TARGET (was OLD),\n"
    "             remove PATH, mkdir DIR, unfold DIR\n"
    "  --help     print this help\n";

Request parseCommandLine(int argc, const char *const *argv)
{
    Request request = Request::Run;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0)
            return Request::Help;
        if (std::strcmp(argv[i], "--dry-run") == 0)
            request = Request::DryRun;
        else
            return Request::Invalid;
    }
    return request;
}
