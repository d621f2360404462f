// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// ostrel-appstore-session-daemon: the session daemon as a process of its own.
// It runs the bridge until SIGINT, SIGTERM or SIGABRT and then exits with
// status 0; the configuration key "log_rules" governs its logging.

#include "log_rules_watcher.h"
#include "session_daemon_application.h"

#include <cstdio>
#include <cstring>

namespace {

const char kUsage[] =
    "Usage: ostrel-appstore-session-daemon [--help]\n"
    "\n"
    "Bridges the system app-store daemon into this session without claiming the\n"
    "session-bus name com.ostrel.appstore.daemon. Logs to standard error, to\n"
    "~/.cache/ostrel/ostrel-appstore-session-daemon/ostrel-appstore-session-daemon.log\n"
    "and to the journal; QT_LOGGING_RULES and the dconf key\n"
    "/ostrel-app-store/org.ostrel.app-store/log_rules choose what is logged.\n"
    "SIGINT, SIGTERM and SIGABRT end it with exit status 0.\n"
    "\n"
    "Options:\n"
    "  -h, --help  Show this text and exit.\n";

} // namespace

int main(int argc, char *argv[])
{
    // Checked before the application object exists: that already starts the bridge.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        std::fprintf(stderr, "ostrel-appstore-session-daemon: unknown argument %s (see --help)\n",
                     argv[i]);
        return 2;
    }

    // Made before anything logs, so that its rules govern every message and
    // Qt itself never applies QT_LOGGING_RULES (the watcher removes it).
    const LogRulesWatcher logRules(nullptr);
    SessionDaemonApplication app(argc, argv);
    return SessionDaemonApplication::exec();
}
