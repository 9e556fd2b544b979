# SPDX-License-Identifier: GPL-2.0-or-later
# Shared steps of the end-to-end sessions: start the real program in a
# scratch folder, find its window, end it and check its exit status.

title='^Kez Server Configuration$'

# Every session works in a scratch folder of its own, removed at the end.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# start_window_manager: starts openbox on the test's display and waits until
# it manages windows; it ends with the display.
start_window_manager() {
    openbox --sm-disable >/dev/null 2>&1 &
    for _ in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
        sleep 0.1
    done
    fail "openbox did not start"
}

# start_program PROGRAM: starts it in the current folder; sets pid and wid.
start_program() {
    "$1" &
    pid=$!
    wid=""
    for _ in $(seq 100); do
        wid=$(xdotool search --onlyvisible --name "$title" 2>/dev/null | head -n 1 || true)
        [ -n "$wid" ] && break
        sleep 0.1
    done
    [ -n "$wid" ] || fail "no window titled 'Kez Server Configuration' appeared"
    sleep 0.3
    menu_bar=$(($(geometry Height) - 563))
}

# click_client X Y [REPEAT]: clicks at client-area coordinates, below the menu
# bar; REPEAT 2 is a double click.
click_client() {
    xdotool mousemove --window "$wid" "$1" $((menu_bar + $2)) click --repeat "${3:-1}" --delay 60 1
    sleep 0.3
}

# focus_window: clicks the status bar, which takes no focus and runs no
# command, so that the window has the keyboard.
focus_window() {
    click_client 500 555
}

# wait_for FILE: up to five seconds for a file to be written.
wait_for() {
    for _ in $(seq 50); do
        [ -e "$1" ] && sleep 0.2 && return 0
        sleep 0.1
    done
    fail "$1 was not written"
}

# geometry KEY: one value from xwininfo for the window, e.g. "Width".
geometry() {
    xwininfo -id "$wid" | sed -n "s/^ *$1: *//p"
}

# expect_exit STATUS: waits up to ten seconds for the program to end.
expect_exit() {
    for _ in $(seq 100); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then
        kill "$pid"
        fail "the program did not end"
    fi
    local status=0
    wait "$pid" || status=$?
    [ "$status" -eq "$1" ] || fail "exit status $status, expected $1"
}

# window_count: the program's visible windows; an open menu or dialog adds one.
window_count() {
    xdotool search --onlyvisible --classname '^kez-server-config$' 2>/dev/null | wc -l
}

# wait_for_window_count N: up to five seconds; fails quietly.
wait_for_window_count() {
    for _ in $(seq 100); do
        [ "$(window_count)" -eq "$1" ] && return 0
        sleep 0.05
    done
    return 1
}

# open_popup KEYS...: sends the keys (or a click) that open a menu and waits
# until the menu is on screen; a busy machine may take a while to show it.
open_popup() {
    local before
    before=$(window_count)
    for _ in 1 2 3; do
        "$@"
        wait_for_window_count $((before + 1)) && return 0
    done
    fail "no menu opened after: $*"
}

# choose_file_menu_item_from_end N: opens File by mouse and picks the N-th item
# counted from the last one (1 = Close) with the arrow keys.
choose_file_menu_item_from_end() {
    local before
    before=$(window_count)
    open_popup xdotool mousemove --window "$wid" 20 8 click 1
    # A menu on screen may not hold the keyboard yet on a busy machine.
    sleep 0.2
    xdotool key --repeat "$1" Up
    xdotool key Return
    # The menu closes; after Close the main window goes too.
    for _ in $(seq 100); do
        [ "$(window_count)" -le "$before" ] && break
        sleep 0.05
    done
    sleep 0.3
}
