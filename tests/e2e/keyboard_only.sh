#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# The real program under X, driven by keys alone: Help / About opens by its
# mnemonic, the About dialog closes with Escape and with Enter, and File / Close
# ends the program with status 0.
set -euo pipefail
program=$1
. "$(dirname "$0")/lib.sh"

about_title='^AWT Application - About$'

# about_window_count: how many About dialogs are mapped.
about_window_count() {
    xdotool search --onlyvisible --name "$about_title" 2>/dev/null | wc -l
}

# focus_main_window: what a window manager does when a dialog closes; bare Xvfb
# has none, and the focus would stay with the root window.
focus_main_window() {
    xdotool mousemove --window "$wid" 300 300
    xdotool windowfocus --sync "$wid"
}

# open_about: Alt+H, Enter, and waits for the dialog.
open_about() {
    focus_main_window
    open_popup xdotool key alt+h
    xdotool key Return
    for _ in $(seq 50); do
        [ "$(about_window_count)" -eq 1 ] && return 0
        sleep 0.1
    done
    fail "Alt+H, Enter did not open the About dialog"
}

# expect_about_closed_by KEY
expect_about_closed_by() {
    xdotool key "$1"
    for _ in $(seq 50); do
        [ "$(about_window_count)" -eq 0 ] && return 0
        sleep 0.1
    done
    fail "$1 did not close the About dialog"
}

start_program "$program"

for key in Escape Return KP_Enter; do
    open_about
    expect_about_closed_by "$key"
    echo "About closed by $key"
done

focus_main_window
open_popup xdotool key alt+f
xdotool key Up Return
expect_exit 0
echo "Alt+F, Close: exit status 0"
