// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include <QByteArray>

// Makes dst a symbolic link whose content is src, following the linker's rule:
// a real file or directory at dst is left alone, a link that already points at
// src is kept, any other link is replaced. A link that already leads to the
// file src leads to is kept too: where src itself leads through dst (an
// application's entries that link back into the system directory), replacing
// it would make dst a link to itself and hide what it showed. Returns false
// only when a link was due and could not be made.
//
// A replacement is made under a temporary name beside dst and renamed over the
// old link, so dst is never left without a link: on failure the old link stays
// and the temporary is removed.
bool placeLink(const QByteArray &src, const QByteArray &dst);
