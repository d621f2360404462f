// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include "run_state.h"

#include <QByteArray>

// Removes every dangling symbolic link from the target directories of the
// link table, one directory after the other, logging each it could not
// remove.
void cleanLink(RunState &run);

// Plans the removal of the dangling symbolic links below dir (not descending
// into links or into directories whose names begin with a dot), and of what
// an interrupted run left under the linker's temporary names.
void planDeadLinkRemoval(const QByteArray &dir, RunState &run);
