# SPDX-FileCopyrightText: 2026 Ostrel app store developers
# SPDX-License-Identifier: LGPL-2.1-or-later

# A private desktop for the demo's session, sourced by demo/session-demo.sh:
# HOME and the XDG directories in a scratch directory, private session and
# system buses (dconf is activated on the session bus), the build tree's
# GSettings schemas, a virtual display (Xvfb) with the dunst notification
# server on it, and a record of every notification sent to it (dbus-monitor).
#   desktop_start <scratch directory> <schema directory>; desktop_stop

desktop_pids=()

# A bus that lets every local user connect and own any name. The session bus
# may start dconf's service only: nothing of the machine's (its notification
# server, say) is started on it behind the demo's back.
bus_config() { # bus_config <type> <socket directory> <service directory>
    local services=
    if [ "$1" = session ]; then
        services="<servicedir>$3</servicedir>"
    fi
    cat <<XML
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-BUS Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>$1</type>
  <listen>unix:dir=$2</listen>
  <auth>EXTERNAL</auth>
  $services
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_destination="*" eavesdrop="true"/>
    <allow receive_sender="*"/>
    <allow eavesdrop="true"/>
  </policy>
</busconfig>
XML
}

start_bus() { # start_bus <type>: prints the bus's address
    local dir=$desktop_dir
    bus_config "$1" "$dir/sockets" "$dir/services" > "$dir/$1-bus.conf"
    dbus-daemon --config-file="$dir/$1-bus.conf" --fork --print-address=1 --print-pid=3 \
        3> "$dir/$1-bus.pid" 2> "$dir/$1-bus.log" | head -n 1
}

has_owner() { # has_owner <name>: whether the name is owned on the session bus
    gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
        --method org.freedesktop.DBus.NameHasOwner "$1" 2>/dev/null | grep -q true
}

desktop_start() {
    desktop_dir=$1
    local dir=$1
    mkdir -p "$dir"/{home,config,cache,data,runtime,sockets,services}
    chmod 0700 "$dir/runtime"
    cp /usr/share/dbus-1/services/ca.desrt.dconf.service "$dir/services/"
    export HOME=$dir/home XDG_CONFIG_HOME=$dir/config XDG_CACHE_HOME=$dir/cache \
        XDG_DATA_HOME=$dir/data XDG_RUNTIME_DIR=$dir/runtime
    export GSETTINGS_SCHEMA_DIR=$2 GSETTINGS_BACKEND=dconf
    unset DBUS_STARTER_ADDRESS DBUS_STARTER_BUS_TYPE QT_LOGGING_RULES QT_MESSAGE_PATTERN \
        http_proxy https_proxy ftp_proxy all_proxy no_proxy SOCKS_SERVER auto_proxy
    DBUS_SYSTEM_BUS_ADDRESS=$(start_bus system)
    DBUS_SESSION_BUS_ADDRESS=$(start_bus session)
    export DBUS_SYSTEM_BUS_ADDRESS DBUS_SESSION_BUS_ADDRESS
    desktop_pids+=("$(cat "$dir/system-bus.pid")" "$(cat "$dir/session-bus.pid")")

    # Listening on an abstract socket only, it leaves no file in /tmp.
    Xvfb -displayfd 4 -screen 0 640x200x24 -nolisten tcp -nolisten unix \
        4> "$dir/display" 2> "$dir/xvfb.log" &
    desktop_pids+=($!)
    wait_for test -s "$dir/display"
    export DISPLAY=:$(cat "$dir/display")

    # Notifications stay on screen until closed, for the screenshot.
    cat > "$dir/dunstrc" <<'INI'
[global]
    font = DejaVu Sans 11
    width = 460
    offset = 10x10
[app-store]
    appname = ostrel-app-store
    override_dbus_timeout = 0
INI
    dunst -config "$dir/dunstrc" > "$dir/dunst.log" 2>&1 &
    desktop_pids+=($!)
    wait_for has_owner org.freedesktop.Notifications

    dbus-monitor --session \
        "type='method_call',interface='org.freedesktop.Notifications',member='Notify'" \
        > "$dir/notify.log" 2>&1 &
    desktop_pids+=($!)
    wait_for test -s "$dir/notify.log"
}

desktop_stop() {
    local i
    if [ ${#desktop_pids[@]} -eq 0 ]; then
        return
    fi
    for ((i = ${#desktop_pids[@]} - 1; i >= 0; i--)); do
        kill "${desktop_pids[i]}" 2>/dev/null || true
    done
    # The ones started here; the buses were started as daemons.
    wait "${desktop_pids[@]}" 2>/dev/null || true
    desktop_pids=()
}

# The notifications sent to the server so far, one a line: summary, body,
# icon, actions, hints and timeout, separated by tabs.
notifications() {
    awk '
        function flush() {
            if (inCall)
                printf "%s\t%s\t%s\t%s\t%s\t%s\n", s[2], s[3], s[1], actions, hints, timeout
            inCall = 0
        }
        function text(line) { sub(/^[^"]*"/, "", line); sub(/"$/, "", line); return line }
        /^[^ ]/ { flush() }
        /^method call .*member=Notify$/ {
            inCall = 1; n = 0; arrays = 0; actions = ""; hints = ""; timeout = ""; next
        }
        !inCall { next }
        /^ *array \[/ { arrays++; next }
        /^ *string "/ && arrays == 0 { s[n++] = text($0); next }
        /^ *string "/ && arrays == 1 { actions = actions (actions == "" ? "" : " ") text($0); next }
        /^ *string "/ && arrays == 2 { key = text($0); next }
        /^ *variant/ && arrays == 2 { hints = hints key "=" text($0) " "; next }
        /^ *int32 / { timeout = $2 }
        END { flush() }
    ' "$desktop_dir/notify.log"
}

notification_count() {
    notifications | wc -l
}

notifications_are() {
    test "$(notification_count)" -eq "$1"
}

field() { # field <notification number> <column>
    notifications | sed -n "$1p" | cut -f "$2"
}

show_notification() { # show_notification <number>
    echo "  dunst received: $(field "$1" 1)"
    echo "      body:    $(field "$1" 2)"
    echo "      icon:    $(field "$1" 3)"
    echo "      actions: $(field "$1" 4)"
    echo "      hints:   $(field "$1" 5)"
    echo "      timeout: $(field "$1" 6)"
}
