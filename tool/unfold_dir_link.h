// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include "plan.h"

#include <QByteArray>
#include <QList>

// Replaces the symbolic link dst, whose content is was, with a real directory
// that holds the links inside (each one's path lies directly in dst), so that
// more entries can be linked beside them.
//
// The directory is built under a temporary name beside dst and exchanged with
// the link in one step (renameat2 with RENAME_EXCHANGE), so dst never goes
// missing, and the temporary name is gone afterwards. A file system that
// refuses the exchange gets the link removed and the directory renamed into
// its place instead, which is logged: killed between the two, the run leaves
// dst missing and the finished directory under its temporary name, which the
// next run's cleanup removes before it links dst again. Returns false, with
// dst still the old link, when none of this can be done.
bool unfoldDirLink(const QByteArray &dst, const QByteArray &was, const QList<PlannedLink> &inside);
