#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Ostrel app store developers
# SPDX-License-Identifier: LGPL-2.1-or-later

# Installs the Debian packages the project needs that are not installed yet:
# those to build and test it, with --demo those the demo adds (a virtual
# display, a notification server, a screenshot), with --packaging those that
# build and check the Debian packages. Needs root (apt-get). Prints one line
# per set it installs; apt-get's and dpkg's output goes to
# build/install-deps.log, whose end is shown when an installation fails.
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A sets=(
    [build]="cmake g++ make
        qt6-base-dev
        qtbase5-dev qttools5-dev-tools
        libglib2.0-dev libdconf-dev libsystemd-dev
        dbus-daemon dconf-service dconf-cli dconf-gsettings-backend gsettings-desktop-schemas
        libglib2.0-bin desktop-file-utils shared-mime-info gtk-update-icon-cache
        util-linux
        clang libclang-rt-dev clang-tidy-22 cppcheck reuse"
    [demo]="xvfb dunst dbus-bin x11-apps netpbm jq fonts-dejavu-core"
    [packaging]="dpkg-dev debhelper lintian git"
)
declare -A purpose=([build]="to build and test" [demo]="for the demo"
    [packaging]="to build the Debian packages")
wanted=(build)
for group in "$@"; do
    case "$group" in
        --demo) wanted+=(demo) ;;
        --packaging) wanted+=(packaging) ;;
        *) echo "usage: $0 [--demo] [--packaging]" >&2; exit 2 ;;
    esac
done

mkdir -p build
log=$PWD/build/install-deps.log
export DEBIAN_FRONTEND=noninteractive
updated=

# Tells which package stopped the installation, as apt-get or dpkg named it.
failed_package() {
    grep -oE "Unable to locate package [^ ]+|Package '[^']+' has no installation candidate|error processing package [^ ]+|Depends: [^ ]+ but it is not" "$log" |
        head -n 1
}

for set in "${wanted[@]}"; do
    missing=()
    for package in ${sets[$set]}; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -gt 0 ] || continue
    echo "Installing the packages ${purpose[$set]}: ${missing[*]}"
    if [ -z "$updated" ]; then
        apt-get update -qq >>"$log" 2>&1 || {
            tail -n 20 "$log" >&2
            echo "apt-get update failed (full log: $log)" >&2
            exit 1
        }
        updated=1
    fi
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >>"$log" 2>&1 || {
        tail -n 20 "$log" >&2
        echo "Installing the packages ${purpose[$set]} failed: $(failed_package || echo "see the log") (full log: $log)" >&2
        exit 1
    }
done
