// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include "plan.h"
#include "run_state.h"

#include <functional>

// One run of the linker over the installation under /opt/apps: the dangling
// links are removed from the target directories, the applications' entries
// linked, the loose icons linked into the fallback theme, and then
// refreshCaches is called (the cache commands; nothing in a benchmark, a
// stand-in in the fuzz target). Each part plans its steps, then makes them.
// A dry run plans the same steps against the file system as the run would
// leave it, changes nothing and refreshes no cache.
//
// Directories the run makes are 0755 whatever the caller's umask, and so are
// the caches' own: the run sets the umask to 022. Returns every step planned,
// in order.
Plan runEntriesLinker(RunMode mode, const std::function<void()> &refreshCaches);
