#!/usr/bin/env bash
# Runs inside a private mount namespace (see scripts/demo.sh): lays
# copy-on-write overlays over the system directories, installs a few example
# applications under /opt/apps, runs the linker and shows the difference.
set -euo pipefail
linker=$1

scratch=$(mktemp -d)
trap 'rmdir "$scratch" 2>/dev/null || true' EXIT
mount -t tmpfs demo "$scratch"
for dir in /opt /usr/share /etc /usr/lib; do
    name=${dir//\//_}
    mkdir -p "$scratch/$name/upper" "$scratch/$name/work"
    mount -t overlay overlay \
        -o "lowerdir=$dir,upperdir=$scratch/$name/upper,workdir=$scratch/$name/work" "$dir"
done
mkdir -p /opt/apps
mount -t tmpfs apps /opt/apps
# The run lock, kept off the host's /run/lock.
mkdir -p /run/lock
mount -t tmpfs lock /run/lock

triplet=$(gcc -dumpmachine 2>/dev/null || true)
mkdir -p /usr/share/help /usr/lib/mozilla/plugins "/usr/lib/$triplet/fcitx" \
    /usr/share/icons/hicolor/scalable/apps /etc/xdg/autostart

app() { # app <appid> <info json>
    mkdir -p "/opt/apps/$1/entries"
    printf '%s\n' "$2" > "/opt/apps/$1/info"
}
file() { # file <path> [content]
    mkdir -p "$(dirname "$1")"
    printf '%s\n' "${2:-}" > "$1"
}

# A notes application allowed to start with the session, with a help book.
app org.example.notes '{"appid": "org.example.notes", "permissions": {"autostart": true}}'
e=/opt/apps/org.example.notes/entries
file $e/applications/org.example.notes.desktop \
    $'[Desktop Entry]\nType=Application\nName=Notes\nExec=notes'
file $e/autostart/org.example.notes.desktop $'[Desktop Entry]\nType=Application\nName=Notes\nExec=notes --tray'
file $e/icons/hicolor/scalable/apps/org.example.notes.svg '<svg xmlns="http://www.w3.org/2000/svg"/>'
file $e/help/C/org.example.notes/index.page '<page/>'

# An input method with browser and fcitx plug-ins.
app org.example.ime '{"appid": "org.example.ime"}'
e=/opt/apps/org.example.ime/entries
file $e/plugins/fcitx/example-ime.so
file $e/plugins/browser/libexample-ime-plugin.so
file $e/services/org.example.ime.service $'[D-BUS Service]\nName=org.example.ime\nExec=/opt/apps/org.example.ime/files/bin/ime'

# Two viewers shipping the same handler: the later one (in name order) wins.
for id in org.example.viewer org.example.viewer-lite; do
    app $id "{\"appid\": \"$id\"}"
    file /opt/apps/$id/entries/applications/example-viewer-handler.desktop \
        $'[Desktop Entry]\nType=Application\nName=Viewer\nExec=viewer %f'
done
# The viewer has a help book too: it shares help/C with the notes.
file /opt/apps/org.example.viewer/entries/help/C/org.example.viewer/index.page '<page/>'
# An earlier run, when only the first viewer was installed, linked its copy.
ln -s /opt/apps/org.example.viewer/entries/applications/example-viewer-handler.desktop \
    /usr/share/applications/example-viewer-handler.desktop

# An application that puts its icon loose into /usr/share/icons.
app org.example.clock '{"appid": "org.example.clock"}'
file /opt/apps/org.example.clock/entries/icons/org.example.clock.png 'png'

# A removed application left a dangling link behind.
ln -s /opt/apps/org.example.removed/entries/applications/org.example.removed.desktop \
    /usr/share/applications/org.example.removed.desktop

links() {
    find /usr/share /etc /usr/lib/mozilla "/usr/lib/$triplet/fcitx" -type l \
        -printf '%p\t%l\n' 2>/dev/null | LC_ALL=C sort
}

echo "Example installation under /opt/apps:"
(cd /opt/apps && find . -mindepth 1 -type f | LC_ALL=C sort | sed 's|^\./|  |')
echo

before=$(links)
"$linker"
after=$(links)

# Prints the changes grouped by directory, one link per line.
report() { # report <title> <lines "path<TAB>text">
    echo "$1:"
    if [ -z "$2" ]; then
        echo "  (nothing)"
        return
    fi
    printf '%s\n' "$2" | awk -F'\t' '{
        dir = $1; sub(/\/[^\/]*$/, "", dir); name = substr($1, length(dir) + 2)
        if (dir != last) { print "  " dir "/"; last = dir }
        print "    " name "  ->  " $2
    }'
}

added=$(join -t $'\t' -v 2 <(printf '%s\n' "$before" | cut -f1) <(printf '%s\n' "$after") || true)
removed=$(join -t $'\t' -v 1 <(printf '%s\n' "$before") <(printf '%s\n' "$after" | cut -f1) || true)
replaced=$(join -t $'\t' <(printf '%s\n' "$before") <(printf '%s\n' "$after") |
    awk -F'\t' '$2 != $3 { print $1 "\t" $3 "   (was " $2 ")" }')

echo "The run changed these links:"
report "Added" "$added"
echo
report "Replaced" "$replaced"
echo
report "Removed" "$removed"
echo
echo "A second run over the same installation:"
"$linker"
if [ "$(links)" = "$after" ]; then
    echo "  no link changed."
else
    echo "  links changed (unexpected)."
fi
echo
echo "All of this happened in a private mount namespace; the host is unchanged."
