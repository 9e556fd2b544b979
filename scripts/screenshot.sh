#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Regenerates docs/screenshot.png: the real program under a private Xvfb
# server, captured with ImageMagick's import. Run from the repository root
# after building (make build); installs ImageMagick if it is missing.
#   scripts/screenshot.sh [PROGRAM [OUT [ARGUMENT]]]
# ARGUMENT goes to the program: build/tests/themed_probe takes "dark" (a
# dark desktop theme) or "font" (a desktop font of other metrics).
set -euo pipefail
cd "$(dirname "$0")/.."
program=${1:-build/kez-server-config}
out=${2:-docs/screenshot.png}
argument=${3:-}
[ -x "$program" ] || { echo "build the program first: make build" >&2; exit 1; }
if ! command -v import >/dev/null || ! import -version >/dev/null 2>&1; then
    sudo=$([ "$(id -u)" -eq 0 ] || echo sudo)
    $sudo apt-get update && $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends imagemagick
fi
mkdir -p "$(dirname "$out")"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
xvfb-run --auto-servernum --server-args="-screen 0 800x700x24" bash -c '
    set -e
    cd "$1" && "$2" $4 2>/dev/null &
    for _ in $(seq 100); do
        wid=$(xdotool search --onlyvisible --name "^Kez Server Configuration$" 2>/dev/null | head -n 1 || true)
        [ -n "$wid" ] && break
        sleep 0.1
    done
    sleep 1
    import -window "$wid" "$3"
    kill %1
' _ "$scratch" "$(realpath "$program")" "$(realpath -m "$out")" "$argument"
echo "wrote $out"
