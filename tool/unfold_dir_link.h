// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include <QByteArray>

// Replaces the symbolic link dst, which points at the directory target, with a
// real directory that holds a link for each file or directory of target (names
// beginning with a dot left out), the links linkDir would have made there, so
// that more entries can be linked beside them.
//
// The directory is built under a temporary name beside dst and exchanged with
// the link in one step, so dst never goes missing, and the temporary name is
// gone afterwards. Returns false, with dst still the old link, when that
// cannot be done.
bool unfoldDirLink(const QByteArray &dst, const QByteArray &target);
