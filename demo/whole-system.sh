#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Ostrel app store developers
# SPDX-License-Identifier: LGPL-2.1-or-later

# The demo, run by scripts/demo.sh in a private mount namespace: the linker
# over example applications, then the session host with the plug-in beside the
# system daemon, the lock service and a real notification server, then a clean
# stop. Ends with status 1 as soon as a step does not happen.
#   whole-system.sh <build directory> [--quick]
set -euo pipefail
build=$1
if [ "${2:-}" = --quick ]; then
    export DEMO_QUICK=1
fi
here=$(dirname "$0")
source "$here/lib/sandbox.sh"

# The programs by the names a user types.
export PATH=$build/tool:$build/host:$PATH
sandbox_enter
bash "$here/linker-demo.sh"
bash "$here/session-demo.sh" "$build"
