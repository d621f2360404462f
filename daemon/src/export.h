// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

// Marks what the plug-in library exports; everything else is hidden.
#define OSTREL_EXPORT __attribute__((visibility("default")))
