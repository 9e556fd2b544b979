#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Under a window manager that draws a frame, the window's outer corner is at
# (50, 50) and its client area, 612 pixels wide, just inside the frame: at
# the first showing of the real program, and at a later showing after the
# operator moved the window (through a probe that hides and shows it).
set -euo pipefail
program=$1
reshow_probe=$2
. "$(dirname "$0")/lib.sh"

start_window_manager

# check_outer_corner WHEN: the frame's outer corner at (50, 50).
check_outer_corner() {
    local extents left top x y
    extents=$(xprop -id "$wid" _NET_FRAME_EXTENTS | sed -n 's/.*= *//p')
    [ -n "$extents" ] || fail "$1: the window manager reports no frame"
    left=$(echo "$extents" | cut -d, -f1 | tr -d ' ')
    top=$(echo "$extents" | cut -d, -f3 | tr -d ' ')
    [ "$top" -gt 0 ] || fail "$1: the frame has no title bar ($extents)"
    x=$(geometry 'Absolute upper-left X')
    y=$(geometry 'Absolute upper-left Y')
    [ "$x" -eq $((50 + left)) ] && [ "$y" -eq $((50 + top)) ] ||
        fail "$1: client area at ($x, $y) in a frame of ($extents): outer corner at ($((x - left)), $((y - top)))"
    [ "$(geometry Width)" = 612 ] || fail "$1: client width $(geometry Width)"
    echo "$1: outer corner at (50, 50), client area at ($x, $y)"
}

start_program "$program"
check_outer_corner "first showing"
choose_file_menu_item_from_end 1
expect_exit 0

start_program "$reshow_probe"
check_outer_corner "probe's first showing"
xdotool windowmove "$wid" 300 200
sleep 0.5
[ "$(geometry 'Absolute upper-left X')" -gt 250 ] || fail "the window could not be moved away"
touch reshow
for _ in $(seq 50); do
    [ -e reshow ] || break
    sleep 0.1
done
sleep 0.5
wid=$(xdotool search --onlyvisible --name "$title" | head -n 1)
check_outer_corner "showing again after a move"
kill "$pid"
echo "1 passed, 0 failed"
