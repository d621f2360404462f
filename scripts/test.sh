#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Ostrel app store developers
# SPDX-License-Identifier: LGPL-2.1-or-later

# Builds the Debian packages and checks them with lintian; builds everything
# with warnings as errors and runs every test, the installation of the
# packages included; runs the demo in its quick mode; then builds and runs the
# tests once more under AddressSanitizer and UndefinedBehaviorSanitizer.
# Then the static checks over the first build, and every fuzz target for
# FUZZ_SECONDS seconds (60 unless set).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh --demo --packaging

jobs=$(nproc)
run_suite() {
    local dir=$1
    shift
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWARNINGS_AS_ERRORS=ON "$@"
    cmake --build "$dir" -j "$jobs"
    ctest --test-dir "$dir" --output-on-failure -j "$jobs"
}

bash scripts/build-packages.sh

echo "== Build and tests =="
run_suite build/ci -DPACKAGES_DIR="$PWD/build/packages"

echo "== The demo =="
bash scripts/demo.sh --quick --build-dir build/ci

echo "== Build and tests under AddressSanitizer and UndefinedBehaviorSanitizer =="
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
run_suite build/sanitize -DENABLE_SANITIZERS=ON

echo "== Static checks: clang-tidy and cppcheck =="
bash scripts/static-checks.sh build/ci

echo "== Fuzzing =="
bash scripts/fuzz.sh "${FUZZ_SECONDS:-60}"
