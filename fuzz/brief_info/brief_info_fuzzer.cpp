// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// Fuzzes the brief information of a finished installation, as
// parseAppInfoJson reads it. Whatever the text, the answer is either "no
// set-up script" ("", -1) or a package name with mode 1.

#include "appstore_daemon_interface.h"
#include "daemon_fuzzing.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    setUpPluginWorld();
    AppstoreDaemonInterface::instance();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QPair<QString, int> brief =
        AppstoreDaemonInterface::instance()->parseAppInfoJson(textOf(data, size));
    const bool none = brief.first.isEmpty() && brief.second == -1;
    const bool script = !brief.first.isEmpty() && brief.second == 1;
    if (!none && !script) {
        std::fprintf(stderr, "brief_info: answer (\"%s\", %d)\n", qPrintable(brief.first),
                     brief.second);
        std::abort();
    }
    return 0;
}
