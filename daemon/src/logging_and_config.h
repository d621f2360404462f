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
