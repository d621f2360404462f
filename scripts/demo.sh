#!/usr/bin/env bash
# Builds app-entries-linker and runs it on a built-in example installation
# inside a private mount namespace; prints what the run added, replaced and
# removed. The host's files are never changed.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build/demo -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF >/dev/null
cmake --build build/demo -j "$(nproc)" --target app-entries-linker >/dev/null

exec unshare --mount --propagation private \
    bash demo/linker-demo.sh "$PWD/build/demo/tool/app-entries-linker"
