#!/usr/bin/env bash
# Saves screenshots of the real main window (at start and with a movie
# playing) and of the settings dialog on each page, drawn on a virtual X
# display, for a person to look over.
# Usage: tests/app/screenshots.sh BUILD_DIR [OUTPUT_DIR]
set -euo pipefail
build=${1:?build directory}
out=${2:-$build/screenshots}
mkdir -p "$out"
QT_QPA_PLATFORM=xcb xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24" \
    "$build/tests/app_screenshots" "$out"
echo "screenshots in $out"
