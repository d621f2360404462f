// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

// Whether the process runs in a Wayland session: XDG_SESSION_TYPE is exactly
// "wayland", or WAYLAND_DISPLAY contains "wayland" in any letter case.
bool isWaylandSession();
