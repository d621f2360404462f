#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Ostrel app store developers
# SPDX-License-Identifier: LGPL-2.1-or-later

# Runs clang-tidy (the checks of .clang-tidy) and cppcheck over the project's
# own sources, each file with the flags its build used (BUILD_DIR's
# compile_commands.json, so the Qt 5 and Qt 6 parts each get their own), and
# fails on any finding. BUILD_DIR must have been built: some sources include
# what moc generated. moc's own output is not checked. Then reuse lint: every
# file says its licence and copyright (REUSE).
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -ne 1 ] || [ ! -f "$1/compile_commands.json" ]; then
    echo "usage: $0 BUILD_DIR (a built tree with compile_commands.json)" >&2
    exit 2
fi
build=$1
jobs=$(nproc)
root=$(printf '%s' "$PWD" | sed 's/[][\.*^$+?(){}|]/\\&/g')
sources="^$root/(tool|daemon|platform|host|tests|bench|fuzz)/.*\\.cpp\$"

echo "-- clang-tidy"
# Debian's clang-tidy 22: it checks these sources in half the time of
# clang-tidy 14, which walks every declaration of Qt's headers for each check.
run-clang-tidy-22 -p "$build" -quiet -j "$jobs" "$sources" >"$build/clang-tidy.log" 2>&1 || {
    grep -E -A3 '(warning|error):' "$build/clang-tidy.log" >&2 || tail -n 40 "$build/clang-tidy.log" >&2
    echo "clang-tidy found the above (full output in $build/clang-tidy.log)" >&2
    exit 1
}

echo "-- cppcheck"
# System headers (Qt's, GLib's) are not read: --library=qt knows Qt's macros.
# moc's output, which sources with a Q_OBJECT of their own include, stops
# where <QObject> was not read: it is not ours to check.
cppcheck --project="$build/compile_commands.json" -i "$build" -j "$jobs" --quiet \
    --enable=warning,style,performance,portability --library=qt --inline-suppr \
    --suppress=missingIncludeSystem '--suppress=*:*_autogen/*' --error-exitcode=1 \
    --template='{file}:{line}: {severity}: {message} [{id}]'
echo "-- reuse lint"
reuse lint >"$build/reuse.log" 2>&1 || {
    cat "$build/reuse.log" >&2
    exit 1
}
echo "-- no findings"
