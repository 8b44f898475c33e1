#!/usr/bin/env bash
# Installs what is needed, checks the code format, then builds and runs the whole test suite twice:
# once as released (warnings are errors) and once under AddressSanitizer and
# UndefinedBehaviorSanitizer; then runs every fuzz target for a bounded time
# (VIDORAMA_FUZZ_SECONDS each, default 40). A fuzz finding fails the run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export QT_QPA_PLATFORM=offscreen
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/check-format.sh"

jobs=$(nproc)
run_suite() {
    local dir=$1
    shift
    bash "$root/scripts/build.sh" "$dir" -DVIDORAMA_WERROR=ON "$@"
    (cd "$root/$dir" && ctest --output-on-failure --parallel "$jobs" --timeout 600)
    # A CI machine starts from a clean clone each time, and its disk must hold
    # only one build tree at a time.
    if [ "${CI:-}" = true ]; then
        rm -rf "${root:?}/$dir"
    fi
}

run_suite build -DCMAKE_BUILD_TYPE=RelWithDebInfo
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    run_suite build-sanitize -DCMAKE_BUILD_TYPE=Debug -DVIDORAMA_SANITIZE=ON -DVIDORAMA_BENCHMARKS=OFF \
    -DVIDORAMA_E2E=OFF
bash "$root/scripts/fuzz.sh"
