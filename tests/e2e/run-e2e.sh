#!/usr/bin/env bash
# Runs the end-to-end suite: the real program on its own virtual X display
# with a window manager and an accessibility bus, driven by real input events.
# Usage: tests/e2e/run-e2e.sh BUILD_DIR [ARTEFACT_DIR] [SCENARIO...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?build directory}" && pwd)
artefacts=${2:-$build/e2e}
shift $(( $# >= 2 ? 2 : 1 ))
mkdir -p "$artefacts"
cd "$here"
# A session bus of its own carries the accessibility bus the suite reads
# the windows through.
exec dbus-run-session -- /usr/bin/python3 -m vidorama_e2e "$build" "$artefacts" "$@"
