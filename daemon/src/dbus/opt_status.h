// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include <cstdint>

// Result of a package operation, as the system daemon sends it in the "opt"
// member of its notices.
enum E_OptStatus : std::int32_t {
    OptNone = 0,
    InstallSuccess = 1,
    InstallFailed = 2,
    UpdateSuccess = 3,
    UpdateFailed = 4,
    RemoveSuccess = 5,
    RemoveFailed = 6,
    NewVersionAvailable = 7,
};
