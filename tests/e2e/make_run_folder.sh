#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# make run starts the program in a folder of its own in the build tree, so
# that a File / Save there leaves no file that git does not ignore in the
# checkout. Read from make's dry run: nothing is built or started.
set -euo pipefail
source=$1
cd "$source"
start=$(DISPLAY=:0 make -n -s run BUILD_DIR=build | grep 'kez-server-config$' | tail -n 1)
case $start in
    "cd build/run && $source/build/kez-server-config") ;;
    *) echo "FAIL: make run starts the program with: $start" >&2; exit 1 ;;
esac
if git rev-parse --git-dir >/dev/null 2>&1; then
    for file in server.cfg motd.txt maplist.txt; do
        git check-ignore -q "build/run/$file" || { echo "FAIL: git does not ignore build/run/$file" >&2; exit 1; }
    done
fi
echo "make run starts the program in build/run, which git ignores"
