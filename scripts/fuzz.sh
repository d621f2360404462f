#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Ostrel app store developers
# SPDX-License-Identifier: LGPL-2.1-or-later

# Builds the fuzz targets of fuzz/ with clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer in build/fuzzing, and runs each from its seed
# corpus:
#   bash scripts/fuzz.sh SECONDS   explores: each target for SECONDS seconds,
#                                  mutating from a new seed every time;
#   bash scripts/fuzz.sh --fixed   what scripts/test.sh runs: each target a
#                                  fixed number of inputs from seed 1, so the
#                                  same tree gives the same answer;
#   bash scripts/fuzz.sh --build   only builds them.
# Exits non-zero on the first crash, leak or hang; the input that caused it is
# left in build/fuzzing/artifacts/<target>/. Prints the executions per second
# and the coverage reached of each target. Needs root: the targets run in
# private mount namespaces.
set -euo pipefail
cd "$(dirname "$0")/.."

# Inputs per target in --fixed mode: about 20 s each on a 2-core machine.
declare -A fixed_runs=(
    [linker_entries]=1200
    [notice_json]=100000
    [update_announcement]=5000
    [brief_info]=220000
    [current_user]=190000
    [settings_values]=1250
)
targets=(linker_entries notice_json update_announcement brief_info current_user settings_values)

usage="usage: $0 SECONDS | --fixed | --build"
case "${1:-}" in
    --fixed) mode=fixed ;;
    --build) mode=build ;;
    *[!0-9]* | '') echo "$usage" >&2; exit 2 ;;
    *) mode=explore; seconds=$1 ;;
esac
[ $# -eq 1 ] || { echo "$usage" >&2; exit 2; }

bash scripts/install-deps.sh
build=build/fuzzing
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DENABLE_FUZZING=ON >/dev/null
cmake --build "$build" -j "$(nproc)" --target fuzz_targets >"$build/build.log" 2>&1 || {
    tail -n 40 "$build/build.log"
    exit 1
}
[ "$mode" != build ] || exit 0

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# Qt seeds its hash tables at random: the coverage, and with it the inputs
# that follow, would differ from run to run.
[ "$mode" != fixed ] || export QT_HASH_SEED=0

# Runs one target; its log is build/fuzzing/fuzz_<target>.log.
fuzz_one() {
    local target=$1
    local found="$build/corpus/$target" artifacts="$build/artifacts/$target/"
    local limit
    if [ "$mode" = fixed ]; then
        # A fresh scratch corpus: what an earlier run found must not change
        # this one. No reloading: it depends on time.
        rm -rf "$found"
        limit=(-seed=1 -runs="${fixed_runs[$target]}" -reload=0)
    else
        limit=(-max_total_time="$seconds")
    fi
    # New inputs go to the scratch corpus; the seeds in the repository stay
    # as they are.
    mkdir -p "$found" "$artifacts"
    "$build/fuzz/fuzz_$target" "${limit[@]}" -timeout=20 -rss_limit_mb=4096 \
        -max_len=4096 -detect_leaks=1 -print_final_stats=1 -artifact_prefix="$artifacts" \
        "$found" "fuzz/$target/corpus" >"$build/fuzz_$target.log" 2>&1 &&
        echo 0 >"$build/fuzz_$target.status" || echo $? >"$build/fuzz_$target.status"
}

summarize() {
    local target=$1 log="$build/fuzz_$1.log"
    local runs rate seconds coverage
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    seconds=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log")
    coverage=$(grep -o 'cov: [0-9]* ft: [0-9]* corp: [0-9]*' "$log" | tail -n 1)
    printf '%-20s %7s runs %6s exec/s %4s s  %s\n' "$target" "$runs" "$rate" "${seconds:-?}" \
        "$coverage"
}

# The fixed runs do not depend on time, so they run side by side, one per
# core; exploring runs one target at a time, each with the whole machine.
jobs=1
[ "$mode" = fixed ] && jobs=$(nproc)
failed=
for target in "${targets[@]}"; do
    while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n; done
    if [ "$mode" = fixed ]; then
        echo "== fuzz_$target: ${fixed_runs[$target]} inputs from seed 1 =="
    else
        echo "== fuzz_$target for $seconds s =="
    fi
    fuzz_one "$target" &
done
wait
for target in "${targets[@]}"; do
    status=$(cat "$build/fuzz_$target.status")
    if [ "$status" -ne 0 ]; then
        tail -n 60 "$build/fuzz_$target.log"
        echo "fuzz_$target failed (status $status); the input is in $build/artifacts/$target/" >&2
        failed=1
    fi
done
[ -z "$failed" ] || exit 1

echo "== Fuzzing passed =="
for target in "${targets[@]}"; do summarize "$target"; done
