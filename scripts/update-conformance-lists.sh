#!/usr/bin/env bash
# Rewrites the lists of conformance cases expected to pass from a run of the
# suites in a build tree, so that the lists hold what this tree passes:
#   scripts/update-conformance-lists.sh BUILD [SUITE...]
# SUITE names a list in tests/components/swfplayer/conformance/ without its
# ".txt" (corpus_images, corpus_trace_avm1, traces_avm1, traces_avm2); all of
# them when none is named. Review the change with git diff before committing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ $# -lt 1 ]; then
    sed -n '2,7s/^# \{0,1\}//p' "$0" >&2
    exit 2
fi
build=$1
[ -d "$build" ] || build=$root/$1
shift
lists=tests/components/swfplayer/conformance
for suite in "$@"; do
    if [ ! -f "$root/$lists/$suite.txt" ]; then
        echo "no list named $suite in $lists" >&2
        exit 2
    fi
done
suites=$(IFS=,; echo "${*:-all}")

cmake --build "$build" --target vidorama_swfplayer_conformance_tests
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! VIDORAMA_UPDATE_CONFORMANCE=$suites QT_QPA_PLATFORM=offscreen \
    "$build/tests/vidorama_swfplayer_conformance_tests" >"$log" 2>&1; then
    grep -B2 -A8 'Failure' "$log" >&2 || tail -20 "$log" >&2
    exit 1
fi
grep -E '^[a-z_0-9]+: wrote ' "$log"
git -C "$root" status --short -- "$lists"
# A name the rewrite took out is a case that passed before and fails now.
lost=$(git -C "$root" diff -U0 -- "$lists" | grep -E '^-[^-]' | cut -c2- || true)
if [ -n "$lost" ]; then
    echo "no longer passing (taken out of the lists):"
    sed 's/^/  /' <<<"$lost"
fi
