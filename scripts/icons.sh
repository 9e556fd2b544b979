#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Renders the PNG icons in dist/icons from the SVG icons (needs rsvg-convert,
# Debian's librsvg2-bin). The 16-pixel icon has its own, simpler drawing.
set -euo pipefail
cd "$(dirname "$0")/../dist"
rsvg-convert -w 16 -h 16 org.example.KezServerConfig-16.svg -o icons/16.png
for size in 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" org.example.KezServerConfig.svg -o "icons/$size.png"
done
