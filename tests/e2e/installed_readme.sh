#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# The README that an installation puts beside the programs names nothing that
# the installation does not hold: every relative link and every path with a
# folder in it must be there, next to the README.
set -euo pipefail
build=$1
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
cmake --install "$build" --prefix "$root/usr" >/dev/null
readme=$(find "$root" -path '*/share/doc/*/README.md' | head -n 1)
[ -n "$readme" ] || { echo "FAIL: no README.md under share/doc" >&2; exit 1; }
doc=$(dirname "$readme")
status=0
while read -r target; do
    [ -e "$doc/$target" ] || { echo "FAIL: the README names $target, which the installation does not hold" >&2; status=1; }
done < <(grep -oE '\]\([^)#:]+\)|`[A-Za-z0-9_.-]+/[A-Za-z0-9_./*-]*`' "$readme" |
         sed -E 's/^\]\(//; s/\)$//; s/^`//; s/`$//' | grep -v '^/' || true)
[ "$status" -eq 0 ] && echo "the installed README names only what is installed"
exit "$status"
