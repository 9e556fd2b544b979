#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# The real program under X on a D-Bus session of its own with the desktop's
# accessibility bus, read from outside as a screen reader reads it: every
# flag item described, every control named, captions and lists pointing at
# each other, the mask fields read-only, and Enter on a flag announced.
#
#   accessibility_bus.sh PROGRAM [measure]
#
# Exit status 77 (skipped) only when the accessibility bus cannot start.
set -euo pipefail
program=$1
mode=${2:-check}
here=$(cd "$(dirname "$0")" && pwd)

# A session bus of our own, so that the test neither needs nor disturbs a
# desktop's; the accessibility bus is started through it on demand, with its
# socket in a runtime folder of our own.
if [ -z "${KEZ_OWN_SESSION_BUS:-}" ]; then
    command -v dbus-run-session >/dev/null || { echo "SKIP: dbus-run-session is missing"; exit 77; }
    runtime=$(mktemp -d)
    set +e
    # dbus-daemon complains that it may not raise its file limit; harmless.
    KEZ_OWN_SESSION_BUS=1 XDG_RUNTIME_DIR=$runtime dbus-run-session -- "$0" "$@" 2>&1 |
        grep -v 'Failed to set fd limit'
    status=${PIPESTATUS[0]}
    rm -rf "$runtime"
    exit "$status"
fi

# Debian's python3 holds pyatspi; another python3 earlier on PATH may not.
python=""
for candidate in /usr/bin/python3 python3; do
    if "$candidate" -c 'import pyatspi' 2>/dev/null; then
        python=$candidate
        break
    fi
done
[ -n "$python" ] || { echo "FAIL: no python3 with pyatspi (Debian: python3-pyatspi)" >&2; exit 1; }

address=$(timeout 10 dbus-send --session --print-reply=literal --dest=org.a11y.Bus /org/a11y/bus \
    org.a11y.Bus.GetAddress 2>/dev/null | tr -d ' ' || true)
if [ -z "$address" ] || ! timeout 10 dbus-send --bus="$address" --print-reply --dest=org.freedesktop.DBus \
    /org/freedesktop/DBus org.freedesktop.DBus.ListNames >/dev/null 2>&1; then
    echo "SKIP: the accessibility bus did not start (Debian: at-spi2-core)"
    exit 77
fi

. "$here/lib.sh"
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
start_program "$program"
trap 'kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; rm -rf "$scratch"' EXIT
xdotool windowfocus --sync "$wid"

"$python" "$here/accessibility_probe.py" "$mode"

# File / Close (Ctrl+C, with the focus on a list) ends it cleanly, with its
# accessible interfaces still answering the bus as the window goes.
xdotool key ctrl+c
expect_exit 0
