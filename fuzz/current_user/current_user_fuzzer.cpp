// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// Fuzzes the lock service's answer to "CurrentUser", as the bridge reads the
// session user's login name from it when the process has neither a login
// name nor a password entry. The name it gives is always trimmed.

#include "current_user.h"
#include "daemon_fuzzing.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    silenceMessages();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // As the bridge takes the reply's text argument.
    const QString name = currentUserName(textOf(data, size).toUtf8());
    if (name != name.trimmed()) {
        std::fprintf(stderr, "current_user: untrimmed name \"%s\"\n", qPrintable(name));
        std::abort();
    }
    return 0;
}
