#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# The real program in a folder with a hand-written configuration, as a new
# operator meets it: Save before any Open, and Save after an Open that
# stopped, keep the lines the form does not set and leave the files found
# byte for byte as server.cfg~ and motd.txt~; a second Save keeps them;
# kezcfg restore puts them back and a second restore undoes it. A click on
# "add" while the map completer's list covers it adds the name typed.
set -euo pipefail
program=$1
kezcfg=$3
. "$(dirname "$0")/lib.sh"

mkdir trial stopped orig
cd trial
cat > server.cfg <<'CFG'
set password joinme
sv addip 10.0.0.1
exec bans.cfg
set rcon_password secret
set maxclients 4
map q2dm2
CFG
printf 'Welcome to the trial\n' > motd.txt
mkdir maps && touch maps/q2dm1.bsp maps/q2dm2.bsp
cp server.cfg motd.txt ../orig/

start_program "$program" 2> ../trial.err
click_client 200 45 # serverNameField
xdotool type --delay 40 Trial
xdotool key ctrl+s
wait_for server.cfg~
sleep 0.3
cmp -s server.cfg~ ../orig/server.cfg || fail "server.cfg~ is not the server.cfg found"
cmp -s motd.txt~ ../orig/motd.txt || fail "motd.txt~ is not the motd.txt found"
[ ! -e maplist.txt~ ] || fail "a copy of a maplist.txt that was not there"
for line in 'set password joinme' 'sv addip 10.0.0.1' 'exec bans.cfg' 'set hostname "Trial"'; do
    grep -qxF "$line" server.cfg || fail "Save before Open lost: $line"
done
grep -q 'had not opened whole: the files found before it are kept as server.cfg~, motd.txt~' ../trial.err ||
    fail "standard error does not name the files kept: $(cat ../trial.err)"
echo "Save before Open: the operator's lines kept, the files found kept as ~ byte for byte"

click_client 20 162 # mapListCheckbox
click_client 99 474 # mapField
xdotool type --delay 40 q2d
sleep 0.5
[ "$(window_count)" -eq 2 ] || fail "the map completer's list did not open"
click_client 54 504 # add, under the list
cp server.cfg first.cfg
xdotool key ctrl+s
wait_for maplist.txt
sleep 0.3
[ "$(cat maplist.txt)" = q2d ] || fail "add under the completer's list added \"$(cat maplist.txt)\""
echo "add under the completer's list adds the name typed"

cmp -s server.cfg~ ../orig/server.cfg && cmp -s motd.txt~ ../orig/motd.txt ||
    fail "a second Save replaced the files kept"
[ ! -e maplist.txt~ ] || fail "a second Save made a copy of maplist.txt"
grep -qxF 'set maplist 1' server.cfg && grep -qxF 'exec bans.cfg' server.cfg || fail "the second Save"
echo "a second Save keeps the generation of the first"
choose_file_menu_item_from_end 1 # Close
expect_exit 0

cp server.cfg second.cfg
"$kezcfg" restore . > restore.out
[ "$(head -n 1 restore.out)" = "changed: server.cfg motd.txt" ] || fail "restore said $(cat restore.out)"
cmp -s server.cfg ../orig/server.cfg && cmp -s motd.txt ../orig/motd.txt || fail "restore"
cmp -s server.cfg~ second.cfg || fail "restore did not keep what it replaced"
"$kezcfg" restore . > /dev/null
cmp -s server.cfg second.cfg && cmp -s server.cfg~ ../orig/server.cfg || fail "a second restore"
echo "restore brings the files found back, and a second restore undoes it"

cd ../stopped
printf 'set fraglimit 25 // note\nset password joinme\nset maxclients 4\nmap q2dm2\n' > server.cfg
cp server.cfg ../orig/stopped.cfg
start_program "$program" 2> ../stopped.err
focus_window
xdotool key ctrl+o
sleep 0.5
xdotool key ctrl+s
wait_for server.cfg~
sleep 0.3
cmp -s server.cfg~ ../orig/stopped.cfg || fail "server.cfg~ after a stopped Open"
grep -qxF 'set password joinme' server.cfg || fail "Save after a stopped Open lost the join password"
grep -q 'had not opened whole.*server.cfg~' ../stopped.err || fail "no word of the stopped Open on Save"
echo "Save after a stopped Open: lines kept, the file found kept as server.cfg~"
choose_file_menu_item_from_end 1 # Close
expect_exit 0
echo "5 passed, 0 failed"
