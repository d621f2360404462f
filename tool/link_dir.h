// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include "run_apps.h"

#include <QString>

// Mirrors the tree below source into target by absolute symbolic links: one
// link for each file or directory the target lacks, descending only where the
// target has a real directory of its own.
//
// Where two applications of the run ship the same path, the one enumerated
// later wins, and a link it placed is left as it is. Where both ship a
// directory the target lacks, the other's directory link is unfolded into a
// real directory so that the entries of both are linked inside it.
void linkDir(const QString &source, const QString &target, const RunApps &run);
