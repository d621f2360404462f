#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Ostrel app store developers
# SPDX-License-Identifier: LGPL-2.1-or-later

# Builds the fuzz targets of fuzz/ with clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs each for SECONDS seconds from its seed
# corpus. Exits non-zero on the first crash, leak or hang; the input that
# caused it is left in build/fuzzing/artifacts/<target>/. Prints the executions
# per second of each target. Needs root: the targets run in private mount
# namespaces.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -ne 1 ] || ! [[ $1 =~ ^[0-9]+$ ]]; then
    echo "usage: $0 SECONDS" >&2
    exit 2
fi
seconds=$1
targets=(linker_entries notice_json update_announcement brief_info current_user settings_values)

bash scripts/install-deps.sh
build=build/fuzzing
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DENABLE_FUZZING=ON >/dev/null
cmake --build "$build" -j "$(nproc)" --target fuzz_targets

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
summary=()
for target in "${targets[@]}"; do
    echo "== fuzz_$target for $seconds s =="
    # New inputs go to a scratch corpus; the seeds in the repository stay as
    # they are.
    found="$build/corpus/$target"
    artifacts="$build/artifacts/$target/"
    mkdir -p "$found" "$artifacts"
    log="$build/fuzz_$target.log"
    status=0
    "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=4096 \
        -max_len=4096 -detect_leaks=1 -print_final_stats=1 -artifact_prefix="$artifacts" \
        "$found" "fuzz/$target/corpus" >"$log" 2>&1 || status=$?
    if [ "$status" -ne 0 ]; then
        tail -n 60 "$log"
        echo "fuzz_$target failed (status $status); the input is in $artifacts" >&2
        exit 1
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    summary+=("$(printf '%-22s %10s runs %8s exec/s' "$target" "$runs" "$rate")")
done

echo "== Fuzzing passed =="
printf '%s\n' "${summary[@]}"
