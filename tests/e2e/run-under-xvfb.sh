#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Runs a command with DISPLAY set to a private Xvfb server of its own.
# Xvfb picks a free display number itself and reports it on -displayfd once
# it listens, so tests started together never race for the same number, as
# they can when a number is chosen before the server holds it.
set -uo pipefail

numberfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$numberfile" 2>/dev/null &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null; rm -f "$numberfile"' EXIT

# Up to ten seconds; the number comes in one write, with its line end.
for _ in $(seq 200); do
    [ -s "$numberfile" ] && break
    kill -0 "$xvfb" 2>/dev/null || break
    sleep 0.05
done
number=$(head -n 1 "$numberfile")
if [ -z "$number" ]; then
    echo "Xvfb did not start" >&2
    exit 1
fi

export DISPLAY=":$number"
unset XAUTHORITY WAYLAND_DISPLAY
"$@"
