// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include "plan.h"

// Makes one step, after checking that the file system still holds what the
// step was planned against (other writers may have changed it since): a link
// is added only where nothing is, a link is replaced or unfolded only while it
// holds the content it was planned against, a link is removed only while it
// still leads nowhere. Where the change was made meanwhile by someone else,
// the step counts as made. A link is replaced, and a directory unfolded,
// under a temporary name beside it and renamed into place, so the place never
// goes missing. Returns false when the change is not there.
bool applyStep(const Step &step);
