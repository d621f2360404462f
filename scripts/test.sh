#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Ostrel app store developers
# SPDX-License-Identifier: LGPL-2.1-or-later

# Builds the Debian packages and checks them with lintian; builds everything
# with warnings as errors and runs every test, the installation of the
# packages included; runs the demo in its quick mode; then builds and runs the
# tests once more under AddressSanitizer and UndefinedBehaviorSanitizer; the
# static checks over the first build; and every fuzz target for a fixed
# number of inputs from a fixed seed (scripts/fuzz.sh --fixed). The same tree
# gives the same answer. Prints each stage's wall time at the end.
#
# The tests mostly wait (on buses, peers, the linker's runs), so the static
# checks and the build of the fuzz targets run beside them at the lowest
# priority, from the end of the first build on, and only take the processor
# time the tests leave.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)
stages=()
started=$SECONDS
declare -A beside=() beside_start=()
print_times() {
    # A failure elsewhere ends what still runs beside.
    for pid in "${beside[@]}"; do kill -- -"$pid" 2>/dev/null || true; done
    echo "== Stage times (wall) =="
    printf '%s\n' "${stages[@]}"
    printf '%-42s %4d s\n' "total" $((SECONDS - started))
}
trap print_times EXIT

# stage NAME COMMAND...: runs the command and records its wall time.
stage() {
    local name=$1 start=$SECONDS
    shift
    "$@"
    stages+=("$(printf '%-42s %4d s' "$name" $((SECONDS - start)))")
}

# start_beside NAME COMMAND...: starts the command at the lowest priority, in
# a process group of its own, its output in build/NAME.log.
start_beside() {
    local name=$1
    shift
    # A session of its own is a scheduling group of its own, which the kernel
    # gives an equal share whatever its processes' nice values: the group's
    # own nice value is what makes it yield.
    setsid bash -c 'echo 19 >/proc/self/autogroup 2>/dev/null; exec nice -n 19 "$@"' beside "$@" \
        >"build/$name.log" 2>&1 &
    beside[$name]=$!
    beside_start[$name]=$SECONDS
}

# finish_beside NAME STAGE: waits for it, shows its output, records its time.
finish_beside() {
    local name=$1 status=0
    wait "${beside[$name]}" || status=$?
    unset "beside[$name]"
    cat "build/$name.log"
    stages+=("$(printf '%-42s %4d s' "$2" $((SECONDS - beside_start[$name])))")
    return "$status"
}

run_suite() {
    local dir=$1
    shift
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWARNINGS_AS_ERRORS=ON "$@" >/dev/null
    cmake --build "$dir" -j "$jobs" >"$dir.build.log" 2>&1 || {
        grep -E -A5 'error:|Error ' "$dir.build.log" | head -n 60
        echo "the build failed (full log: $dir.build.log)" >&2
        return 1
    }
}

stage "dependencies" bash scripts/install-deps.sh --demo --packaging

stage "packages and lintian" bash scripts/build-packages.sh

echo "== Build =="
# Without debugging information, which nothing here reads: a fifth less to
# compile.
stage "build (warnings as errors)" run_suite build/ci -DPACKAGES_DIR="$PWD/build/packages" \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG"

# Beside the tests, from here on.
start_beside static-checks bash scripts/static-checks.sh build/ci
start_beside fuzz-build bash scripts/fuzz.sh --build

echo "== Tests =="
stage "tests" ctest --test-dir build/ci --output-on-failure -j "$jobs"

echo "== The demo =="
stage "demo (quick)" bash scripts/demo.sh --quick --build-dir build/ci

echo "== Build and tests under AddressSanitizer and UndefinedBehaviorSanitizer =="
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# -O1 and line tables, as the sanitizers' own documentation advises: reports
# keep their file and line, and the build takes a third less.
stage "sanitizer build" run_suite build/sanitize -DENABLE_SANITIZERS=ON \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG"
stage "sanitizer tests" ctest --test-dir build/sanitize --output-on-failure -j "$jobs"
unset ASAN_OPTIONS UBSAN_OPTIONS

echo "== Static checks: clang-tidy, cppcheck, reuse lint =="
finish_beside static-checks "static checks (from the build's end)"

echo "== Fuzzing =="
finish_beside fuzz-build "fuzz targets' build (from the build's end)"
stage "fuzzing (fixed inputs, seed 1)" bash scripts/fuzz.sh --fixed
