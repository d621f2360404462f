// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

// Links the icon files lying loose in /usr/share/icons into the fallback
// theme's scalable application directory.
void linkIsolatedIcons();
