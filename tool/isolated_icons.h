// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include "run_state.h"

// Links the icon files lying loose in /usr/share/icons into the fallback
// theme's scalable application directory, by name. A link there to the icon
// an application of the run ships at that very path stays: the theme's own
// copy wins over a loose icon of the same name.
void linkIsolatedIcons(RunState &run);
