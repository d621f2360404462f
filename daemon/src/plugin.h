// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include "export.h"

#include <QLoggingCategory>

extern "C" {

// The plug-in's one logging category, "com.ostrel.app-store.session-daemon".
OSTREL_EXPORT const QLoggingCategory &logMain();

// The store's desktop configuration: application id and configuration name.
OSTREL_EXPORT extern const char kVConfigAppStoreAppId[];
OSTREL_EXPORT extern const char kVConfigAppStoreName[];
}

extern "C" {

// Entry points for the session service manager. name: the session-bus
// connection to attach to (null or empty: the default one, claiming
// "com.ostrel.appstore.daemon"); data is not read. Both return 0.
OSTREL_EXPORT int KpxRegister(const char *name, void *data);
OSTREL_EXPORT int KpxUnRegister(const char *name, void *data);
}
