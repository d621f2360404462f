#pragma once

// Whether the process runs in a Wayland session: XDG_SESSION_TYPE is exactly
// "wayland", or WAYLAND_DISPLAY contains "wayland" in any letter case.
bool isWaylandSession();
