#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# An Open that ends on a bad line keeps what came before it and leaves the
# program working: the operator can go on, save and close as usual.
set -euo pipefail
program=$1
. "$(dirname "$0")/lib.sh"

cat > server.cfg <<'CFG'
set hostname "Before The Fault"
set maxclients 12
set fraglimit twelve
set timelimit 40
map never-read
CFG

start_program "$program"
focus_window
xdotool key ctrl+o 2> /dev/null
sleep 0.5

# Still working: a flag moves on the Frag Ban page, and Save writes the form.
xdotool key ctrl+Prior # from Main back round to the last page, Frag Ban
sleep 0.3
click_client 80 69 2
rm server.cfg
xdotool key ctrl+s
wait_for server.cfg

grep -qx 'set hostname "Before The Fault"' server.cfg || fail "the line before the fault was not applied"
grep -qx 'set maxclients 12' server.cfg || fail "the spinner before the fault was not applied"
grep -qx 'set timelimit 0' server.cfg || fail "a line after the fault was applied"
grep -qx 'set fragban 134217728' server.cfg || fail "the flag did not move after the failed Open"
! grep -q '^map ' server.cfg || fail "the starting map after the fault was applied"
echo "bad line: earlier lines kept, later ones not, the window still works"

choose_file_menu_item_from_end 1
expect_exit 0
echo "1 passed, 0 failed"
