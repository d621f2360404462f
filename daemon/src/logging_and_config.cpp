// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "logging_and_config.h"

extern "C" {

const char kVConfigAppStoreAppId[] = "ostrel-app-store";
const char kVConfigAppStoreName[] = "org.ostrel.app-store";

const QLoggingCategory &logMain()
{
    // Constructed on first use; every level is enabled until filter rules say otherwise.
    static const QLoggingCategory category("com.ostrel.app-store.session-daemon");
    return category;
}
}
