#pragma once

// Links the icon files lying loose in /usr/share/icons into the fallback
// theme's scalable application directory.
void linkIsolatedIcons();
