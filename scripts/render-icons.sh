#!/usr/bin/env bash
# Renders the application icon's PNG sizes from res/icons/vidorama.svg. The
# PNGs are committed, so building needs no SVG renderer; run this after
# changing the drawing (needs rsvg-convert from librsvg2-bin).
set -euo pipefail
icons=$(cd "$(dirname "$0")/../res/icons" && pwd)
for size in 16 24 32 48 64 128 256; do
    rsvg-convert --width "$size" --height "$size" "$icons/vidorama.svg" \
        --output "$icons/vidorama-$size.png"
done
