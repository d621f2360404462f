// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include "export.h"

extern "C" {

// Entry points for the session service manager. name: the session-bus
// connection to attach to (null or empty: the default one, claiming
// "com.ostrel.appstore.daemon"); data is not read. Both return 0.
OSTREL_EXPORT int KpxRegister(const char *name, void *data);
OSTREL_EXPORT int KpxUnRegister(const char *name, void *data);
}
