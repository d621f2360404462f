#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Ostrel app store developers
# SPDX-License-Identifier: LGPL-2.1-or-later

# Chapter 1 of the demo, inside its sandbox (demo/lib/sandbox.sh): installs a
# few example applications under /opt/apps, runs the linker as the package
# tooling would, and shows and checks what it added, replaced and removed.
set -euo pipefail
source "$(dirname "$0")/lib/story.sh"

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

# A notes application allowed to start with the session, with a help book,
# a MIME type and a settings schema.
app org.example.notes '{"appid": "org.example.notes", "permissions": {"autostart": true}}'
e=/opt/apps/org.example.notes/entries
file $e/applications/org.example.notes.desktop \
    $'[Desktop Entry]\nType=Application\nName=Notes\nExec=notes %f\nMimeType=text/x-example-note;'
file $e/autostart/org.example.notes.desktop $'[Desktop Entry]\nType=Application\nName=Notes\nExec=notes --tray'
file $e/icons/hicolor/scalable/apps/org.example.notes.svg '<svg xmlns="http://www.w3.org/2000/svg"/>'
file $e/help/C/org.example.notes/index.page '<page/>'
file $e/glib-2.0/schemas/org.example.notes.gschema.xml \
    '<schemalist><schema id="org.example.notes" path="/org/example/notes/"><key name="font-size" type="i"><default>12</default></key></schema></schemalist>'

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

chapter "1. The linker: making installed applications visible"
say "Applications live in trees of their own under /opt/apps. Here are five,"\
    "with what they ship for the system in their entries directories:"
(cd /opt/apps && find . -mindepth 1 -type f | LC_ALL=C sort | sed 's|^\./|  |')
echo
say "An earlier run linked the first viewer's handler, and an application that"\
    "has since been removed left a link to nothing. After a package operation"\
    "the package tooling runs the linker as root:"
pause

caches=(/usr/share/applications/mimeinfo.cache /usr/share/mime/mime.cache
    /usr/share/icons/hicolor/icon-theme.cache /usr/share/glib-2.0/schemas/gschemas.compiled)
before=$(links)
touch "$DEMO_SCRATCH/before-linker-run"
run "app-entries-linker"
after=$(links)

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
say "Both help books share /usr/share/help/C, which the system lacked: the"\
    "linker made it a real directory holding a link for each."
run "ls -l /usr/share/help/C"
echo
say "Then it refreshed the system's caches:"
for cache in "${caches[@]}"; do
    if [ "$cache" -nt "$DEMO_SCRATCH/before-linker-run" ]; then
        echo "  rewritten: $cache"
    fi
done
run "grep example-note /usr/share/applications/mimeinfo.cache"
run "GSETTINGS_BACKEND=memory gsettings list-keys org.example.notes"
echo

target_of() { readlink "$1" 2>/dev/null; }
e=/opt/apps/org.example
check "the notes' desktop file is linked" \
    test "$(target_of /usr/share/applications/org.example.notes.desktop)" = \
    "$e.notes/entries/applications/org.example.notes.desktop"
check "its autostart entry is linked, as its info allows" \
    test "$(target_of /etc/xdg/autostart/org.example.notes.desktop)" = \
    "$e.notes/entries/autostart/org.example.notes.desktop"
check "the shared handler now comes from the later viewer" \
    test "$(target_of /usr/share/applications/example-viewer-handler.desktop)" = \
    "$e.viewer-lite/entries/applications/example-viewer-handler.desktop"
check "the removed application's dead link is gone" \
    test ! -L /usr/share/applications/org.example.removed.desktop
check "the loose icon is linked into hicolor/scalable/apps" \
    test "$(target_of /usr/share/icons/hicolor/scalable/apps/org.example.clock.png)" = \
    "$e.clock/entries/icons/org.example.clock.png"
check "both help books are in the shared /usr/share/help/C" \
    test ! -L /usr/share/help/C -a -L /usr/share/help/C/org.example.notes \
    -a -L /usr/share/help/C/org.example.viewer
for cache in "${caches[@]}"; do
    check "$cache was refreshed" test "$cache" -nt "$DEMO_SCRATCH/before-linker-run"
done
pause

say "A second run over the same installation changes no link:"
run "app-entries-linker"
check "no link changed" test "$(links)" = "$after"
pause
