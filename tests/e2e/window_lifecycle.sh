#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# The real program under X: its window is found by title at (50, 50) with a
# 612-pixel-wide client area, and it ends with status 0 both by File / Close
# and by the window's close box.
set -euo pipefail
program=$1
request_close=$2
. "$(dirname "$0")/lib.sh"

start_program "$program"
[ "$(geometry 'Absolute upper-left X')" = 50 ] || fail "window x is $(geometry 'Absolute upper-left X')"
[ "$(geometry 'Absolute upper-left Y')" = 50 ] || fail "window y is $(geometry 'Absolute upper-left Y')"
[ "$(geometry Width)" = 612 ] || fail "window width is $(geometry Width)"
height=$(geometry Height)
# The client area is 563 pixels high below the menu bar.
[ "$height" -gt 563 ] && [ "$height" -lt 620 ] || fail "window height is $height"
choose_file_menu_item_from_end 1
expect_exit 0
echo "File / Close: exit status 0"

start_program "$program"
"$request_close" "$wid"
expect_exit 0
echo "close box: exit status 0"

[ -z "$(ls -A "$scratch")" ] || fail "closing wrote files: $(ls -A "$scratch")"
echo "1 passed, 0 failed"
