# The demo's private system, sourced by demo/whole-system.sh, which runs in a
# private mount namespace: a tmpfs over /tmp (the virtual display's socket and
# lock live there) and copy-on-write overlays over the system directories the
# linker, the packages' caches and the edition file touch. Whatever the demo
# changes is gone when it ends.

sandbox_enter() {
    mount -t tmpfs demo-tmp /tmp
    local layers=/tmp/.sandbox dir name
    mkdir -p "$layers"
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
