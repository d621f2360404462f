#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Ostrel app store developers
# SPDX-License-Identifier: LGPL-2.1-or-later

# Installs the Debian packages the project needs that are not installed yet:
# those to build and test it, with --demo those the demo adds (a virtual
# display, a notification server, a screenshot), with --packaging those that
# build and check the Debian packages. Needs root (apt-get).
set -euo pipefail

packages=(
    cmake g++ make
    qt6-base-dev
    qtbase5-dev qttools5-dev-tools
    libglib2.0-dev libdconf-dev libsystemd-dev
    dbus-daemon dconf-service dconf-cli dconf-gsettings-backend gsettings-desktop-schemas
    libglib2.0-bin desktop-file-utils shared-mime-info gtk-update-icon-cache
    util-linux
    clang libclang-rt-dev clang-tidy cppcheck
)
for group in "$@"; do
    case "$group" in
        --demo) packages+=(xvfb dunst dbus-bin x11-apps netpbm jq fonts-dejavu-core) ;;
        --packaging) packages+=(dpkg-dev debhelper lintian git) ;;
        *) echo "usage: $0 [--demo] [--packaging]" >&2; exit 2 ;;
    esac
done

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
