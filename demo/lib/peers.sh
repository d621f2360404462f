# SPDX-FileCopyrightText: 2026 Ostrel app store developers
# SPDX-License-Identifier: LGPL-2.1-or-later

# The system side of the demo's session, sourced by demo/session-demo.sh: the
# app-store daemon and the lock service, the stand-ins of tests/peers, on the
# private system bus. The daemon's stand-in records every call it receives
# and sends its signals when asked through org.ostrel.test.AppstoreDaemon.
# Needs $scratch and desktop_pids (demo/lib/desktop.sh).

start_peer() { # start_peer <name> <program>: its calls are recorded in <name>.calls
    "$2" > "$scratch/$1.calls" 2> "$scratch/$1.log" &
    desktop_pids+=($!)
    wait_for grep -qx ready "$scratch/$1.calls"
}

calls() { # calls <member>: the arguments of each call the daemon received, as JSON
    grep '^{' "$scratch/daemon.calls" | jq -c --arg member "$1" 'select(.member == $member) | .args'
}

count_is() { # count_is <member> <count>
    test "$(calls "$1" | wc -l)" -eq "$2"
}

# The command that makes the daemon's stand-in send one of its signals.
daemon_control() { # daemon_control <method> <argument as typed>
    printf 'gdbus call --system --dest com.yarl.appstore.daemon --object-path /appstore \\\n'
    printf '        --method org.ostrel.test.AppstoreDaemon.%s \\\n        %s' "$1" "$2"
}

notice() { # notice <opt> <appName> <packageName> <logname>
    printf '\x27{"opt": %s, "appName": "%s", "packageName": "%s", "logname": "%s"}\x27' "$@"
}
