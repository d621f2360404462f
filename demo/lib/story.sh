# SPDX-FileCopyrightText: 2026 Ostrel app store developers
# SPDX-License-Identifier: LGPL-2.1-or-later

# Narration for the demo, sourced by its scripts: chapters, text, the commands
# a user would type (shown, then run), pauses between steps (none with
# DEMO_QUICK=1) and checks that end the demo with status 1 when a step did not
# happen.

set -E
trap 'echo "FAILED: the demo stopped at ${BASH_SOURCE[0]}:$LINENO" >&2' ERR

chapter() {
    printf '\n== %s ==\n\n' "$*"
}

# Wrapped text.
say() {
    printf '%s\n' "$*" | fold -s -w 78
}

# Shows a command as a user would type it, then runs it with its output
# indented. The command is our own fixed text.
run() {
    printf '  $ %s\n' "$1"
    (trap - ERR; eval "$1") 2>&1 | sed 's/^/      /'
}

# Shows a command that the demo runs in the background on its own.
show() {
    printf '  $ %s\n' "$1"
}

pause() {
    if [ -z "${DEMO_QUICK:-}" ] && [ -t 0 ]; then
        read -r -p '  (Enter to go on) ' _
    fi
    echo
}

# check <what happened> <command...>: says so, or ends the demo.
check() {
    local what=$1
    shift
    if "$@"; then
        printf '  ok: %s\n' "$what"
    else
        printf '  FAILED: %s\n' "$what" >&2
        exit 1
    fi
}

# Runs the command until it succeeds, for at most ten seconds.
wait_for() {
    local i
    for i in $(seq 100); do
        if "$@"; then
            return 0
        fi
        sleep 0.1
    done
    return 1
}

not() {
    ! "$@"
}

more_than() { # more_than <count> <command...>: whether the command prints more
    test "$("${@:2}")" -gt "$1"
}
