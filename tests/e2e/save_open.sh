#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# The real program under X: File / Save and File / Open, by Ctrl+S / Ctrl+O
# and by the File menu, write the configuration set into the working folder
# and read an edited server.cfg and maplist.txt back into the form.
set -euo pipefail
program=$1
. "$(dirname "$0")/lib.sh"


start_program "$program"
focus_window
xdotool key ctrl+s
wait_for server.cfg
sleep 0.3
[ "$(wc -l < server.cfg)" -eq 28 ] || fail "server.cfg has $(wc -l < server.cfg) lines"
[ "$(wc -l < motd.txt)" -eq 7 ] || fail "motd.txt has $(wc -l < motd.txt) lines"
[ ! -e maplist.txt ] || fail "maplist.txt written with the map list off"
echo "Ctrl+S: the start-up form gives 28 + 7 lines"

sed -i -e 's/^set hostname .*/set hostname "E2E Server"/' -e 's/^set maplist 0$/set maplist 1/' server.cfg
echo 'map q2dm2' >> server.cfg
printf 'q2dm1\nq2dm5\n' > maplist.txt
xdotool key ctrl+o
sleep 0.5
rm server.cfg motd.txt maplist.txt
choose_file_menu_item_from_end 3 # Save
wait_for maplist.txt
sleep 0.3
grep -qx 'set hostname "E2E Server"' server.cfg || fail "the host name did not come back"
grep -qx 'set maplist 1' server.cfg || fail "the map-list box did not come back"
[ "$(tail -n 1 server.cfg)" = "map q2dm2" ] || fail "the starting map did not come back"
[ "$(cat maplist.txt)" = "$(printf 'q2dm1\nq2dm5')" ] || fail "maplist.txt is $(cat maplist.txt)"
echo "Ctrl+O, then File / Save: the edited files come back"

sed -i 's/^set hostname .*/set hostname "Menu Server"/' server.cfg
choose_file_menu_item_from_end 2 # Open
rm server.cfg
focus_window
xdotool key ctrl+s
wait_for server.cfg
sleep 0.3
grep -qx 'set hostname "Menu Server"' server.cfg || fail "File / Open did not read server.cfg"
echo "File / Open, then Ctrl+S: the edited host name comes back"

choose_file_menu_item_from_end 1 # Close
expect_exit 0
echo "3 passed, 0 failed"
