# Shared steps of the end-to-end sessions: start the real program in a
# scratch folder, find its window, end it and check its exit status.

title='^Kez Server Configuration$'

fail() {
    echo "FAIL: $*" >&2
    exit 1
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

# choose_file_menu_item_from_end N: opens File by mouse and picks the N-th item
# counted from the last one (1 = Close) with the arrow keys.
choose_file_menu_item_from_end() {
    xdotool mousemove --window "$wid" 20 8 click 1
    sleep 0.4
    xdotool key --repeat "$1" Up
    xdotool key Return
    sleep 0.4
}
