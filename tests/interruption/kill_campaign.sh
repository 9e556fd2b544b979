#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Kills kezcfg apply at every write, sync, truncation, rename and removal it
# makes (strace injects SIGKILL at the Nth call of each), lets the next
# apply finish what was interrupted, and checks that the folder then holds
# the old set of files or the new one, whole, and no temporary file. The
# previous generation (server.cfg~, motd.txt~, maplist.txt~) is part of the
# set: old files with the old generation, or new files with the old files as
# their generation.
#
#   kill_campaign.sh KEZCFG [TRIES]
# Prints one line of figures: tries, old sets, new sets, recovered (a
# journal was completed by the next apply), lost (a mixed set: a failure).
set -euo pipefail
# A sanitizer build's leak check cannot run under ptrace, which strace is.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
kezcfg=$1
tries=${2:-200}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
calls=(pwrite64 write fdatasync fsync ftruncate renameat renameat2 unlinkat)

old='{"serverName": "old", "motd": "old message", "mapList": true, "rotation": ["a1", "a2"]}'
echo '{"serverName": "new", "motd": "new message", "rotation": ["b1", "b2", "b3"], "fragLimit": 7}' >"$work/new.json"

# The starting folder; with "hard" server.cfg has a second name, so that it
# is rewritten in place; with "older" an older generation is there, whose
# server.cfg~ the apply replaces and whose maplist.txt~ it removes, as
# maplist.txt is not there (the map list is off).
make_old() {
    rm -rf "$work/dir" && mkdir "$work/dir"
    echo "$old" | "$kezcfg" apply "$work/dir" - >/dev/null
    echo 'set password secretjoin' >>"$work/dir/server.cfg"
    if [ "$1" = hard ]; then ln "$work/dir/server.cfg" "$work/dir/other.cfg"; fi
    if [ "$1" = older ]; then
        echo 'set hostname older' >"$work/dir/server.cfg~"
        mv "$work/dir/maplist.txt" "$work/dir/maplist.txt~"
        sed -i 's/^set maplist 1$/set maplist 0/' "$work/dir/server.cfg"
    fi
}
set_of() {
    for name in server.cfg motd.txt maplist.txt server.cfg~ motd.txt~ maplist.txt~; do
        if [ -e "$work/dir/$name" ]; then echo "$name" && cat "$work/dir/$name"; else echo "no $name"; fi
    done | md5sum
}

declare -A old_set new_set count
for mode in plain hard older; do
    make_old $mode
    old_set[$mode]=$(set_of)
    strace -f -qq -o "$work/trace" -e trace="$(IFS=,; echo "${calls[*]}")" \
        "$kezcfg" apply "$work/dir" "$work/new.json" >/dev/null
    new_set[$mode]=$(set_of)
    for call in "${calls[@]}"; do
        count[$mode.$call]=$(grep -c "^[0-9]* *$call(" "$work/trace" || true)
    done
done

n=0 olds=0 news=0 recovered=0 lost=0
while [ $n -lt "$tries" ]; do
    progressed=0
    for mode in plain hard older; do
        for call in "${calls[@]}"; do
            for ((k = 1; k <= ${count[$mode.$call]}; k++)); do
                [ $n -lt "$tries" ] || break 3
                make_old $mode
                progressed=1
                # An inner shell waits for the killed process, so that no
                # "Killed" line reaches this script's output.
                sh -c "strace -f -qq -o /dev/null -e trace=$call -e inject=$call:signal=KILL:when=$k \
                    '$kezcfg' apply '$work/dir' '$work/new.json' >/dev/null 2>&1" 2>/dev/null || true
                n=$((n + 1))
                journal=0
                [ -e "$work/dir/.kezcfg-journal" ] && journal=1
                # The next command finds what the killed one left.
                next=$(echo '{}' | "$kezcfg" apply "$work/dir" - 2>&1 >/dev/null || true)
                set=$(set_of)
                leftovers=$(find "$work/dir" -name '*.kezcfg-*' -o -name '.kezcfg-journal' | wc -l)
                if [ "$set" = "${old_set[$mode]}" ] && [ "$leftovers" -eq 0 ]; then
                    olds=$((olds + 1))
                elif [ "$set" = "${new_set[$mode]}" ] && [ "$leftovers" -eq 0 ]; then
                    news=$((news + 1))
                else
                    lost=$((lost + 1))
                    echo "LOST: $mode, $call #$k: $leftovers leftovers; next said: $next" >&2
                fi
                if [ $journal -eq 1 ]; then recovered=$((recovered + 1)); fi
            done
        done
    done
    [ $progressed -eq 1 ] || break
done
points=0
for key in "${!count[@]}"; do points=$((points + count[$key])); done
echo "kill points $points; tries $n, old sets $olds, new sets $news, recovered $recovered, lost $lost"
[ $lost -eq 0 ] && [ $n -gt 0 ]
