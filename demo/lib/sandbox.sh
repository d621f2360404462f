# SPDX-FileCopyrightText: 2026 Ostrel app store developers
# SPDX-License-Identifier: LGPL-2.1-or-later

# The demo's private system, sourced by demo/whole-system.sh, which runs in a
# private mount namespace: copy-on-write overlays over the directories the
# linker, the caches, the edition file and the desktop's programs write to,
# and a scratch tmpfs for the demo's own files (exported as DEMO_SCRATCH).
# Whatever the demo changes there is gone when it ends; the scratch
# directory's mount point is removed too.

sandbox_enter() {
    DEMO_SCRATCH=$(mktemp -d)
    export DEMO_SCRATCH
    trap 'umount --lazy "$DEMO_SCRATCH"; rmdir "$DEMO_SCRATCH"' EXIT
    mount -t tmpfs demo "$DEMO_SCRATCH"
    local layers=$DEMO_SCRATCH/layers dir name
    for dir in /opt /usr /etc /var; do
        name=${dir//\//_}
        mkdir -p "$layers/$name/upper" "$layers/$name/work"
        mount -t overlay overlay \
            -o "lowerdir=$dir,upperdir=$layers/$name/upper,workdir=$layers/$name/work" "$dir"
    done
    # An empty /opt/apps, and the linker's run lock off the host's /run/lock.
    mkdir -p /opt/apps /run/lock
    mount -t tmpfs apps /opt/apps
    mount -t tmpfs lock /run/lock
}
