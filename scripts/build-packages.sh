#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Ostrel app store developers
# SPDX-License-Identifier: LGPL-2.1-or-later

# Builds the Debian binary packages from a copy of the working tree (tracked
# and new files, no build directories) and checks them with lintian, which
# must report no error and no warning. The packages end up in build/packages.
# Needs the packaging tools: bash scripts/install-deps.sh --packaging.
set -euo pipefail
cd "$(dirname "$0")/.."

out=$PWD/build/packages
rm -rf "$out"
mkdir -p "$out/src"
git ls-files -z --cached --others --exclude-standard |
    tar --null --files-from=- --ignore-failed-read -cf - | tar -xf - -C "$out/src"

echo "== Building the packages in $out =="
(
    cd "$out/src"
    DEB_BUILD_OPTIONS="noautodbgsym parallel=$(nproc)" dpkg-buildpackage -us -uc -b
) > "$out/build.log" 2>&1 || {
    tail -n 40 "$out/build.log"
    exit 1
}
ls "$out"/*.deb

echo "== lintian =="
lintian --fail-on error,warning "$out"/*.changes
