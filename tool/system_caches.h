#pragma once

// Rebuilds the caches that depend on the linked files: GSettings schemas, the
// desktop-file database, the MIME database and the icon caches.
void updateSystemCaches();
