#!/usr/bin/env bash
# Checks every tracked C++ file against the repository's .clang-format with the
# installed clang-format, names each file that differs and fails if any does.
# With --fix it reformats those files instead.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

mapfile -d '' files < <(git ls-files -z -- '*.cpp' '*.h' '*.hpp' '*.cc')
if [ ${#files[@]} -eq 0 ]; then
    echo "check-format: no tracked C++ files found (is this a git checkout?)" >&2
    exit 1
fi

# clang-format reports each place that differs as "FILE:LINE:COL: ...".
report=$(printf '%s\0' "${files[@]}" | xargs -0 clang-format --dry-run 2>&1 || true)
mapfile -t misformatted < <(grep -oE '^[^:[:space:]]+:[0-9]+:[0-9]+: (warning|error)' <<<"$report" |
    cut -d: -f1 | sort -u)

if [ ${#misformatted[@]} -eq 0 ]; then
    echo "check-format: ${#files[@]} files follow .clang-format ($(clang-format --version))"
    exit 0
fi
if [ "${1:-}" = "--fix" ]; then
    clang-format -i "${misformatted[@]}"
    printf 'check-format: reformatted %s\n' "${misformatted[@]}"
    exit 0
fi
echo "check-format: ${#misformatted[@]} files do not follow .clang-format" \
    "(fix with scripts/check-format.sh --fix):" >&2
printf '  %s\n' "${misformatted[@]}" >&2
exit 1
