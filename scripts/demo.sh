#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Ostrel app store developers
# SPDX-License-Identifier: LGPL-2.1-or-later

# The README's first command: installs what is missing, builds, and shows the
# whole system at work in a private mount namespace with private buses, dconf
# and GSettings; the host is left untouched.
#   bash scripts/demo.sh [--quick] [--build-dir DIR]
# --quick runs without pauses (CI); --build-dir uses that build tree instead
# of build/demo.
set -euo pipefail
cd "$(dirname "$0")/.."

quick=
build=build/demo
while [ $# -gt 0 ]; do
    case "$1" in
        --quick) quick=--quick ;;
        --build-dir) build=${2:?}; shift ;;
        *) echo "usage: $0 [--quick] [--build-dir DIR]" >&2; exit 2 ;;
    esac
    shift
done

bash scripts/install-deps.sh --demo
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
echo "Building the linker, the plug-in, the host and the peers in $build ..."
cmake --build "$build" -j "$(nproc)" --target app-entries-linker ostrel-appstore-session-daemon \
    session-plugin-host appstore_daemon_peer lock_service_peer gsettings_schemas >/dev/null

exec unshare --mount --propagation private \
    bash demo/whole-system.sh "$(realpath "$build")" ${quick:+"$quick"}
