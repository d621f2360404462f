// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

// Rebuilds the caches that depend on the linked files: GSettings schemas, the
// desktop-file database, the MIME database and the icon caches.
void updateSystemCaches();
