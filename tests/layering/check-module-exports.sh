#!/usr/bin/env bash
# Checks that each module the program loads exports its factory and nothing
# else: the dynamic symbols a module defines must be exactly the one named.
#   tests/layering/check-module-exports.sh MODULE FACTORY [MODULE FACTORY...]
set -euo pipefail
failed=0
while [ $# -ge 2 ]; do
    module=$1 factory=$2
    shift 2
    exported=$(nm -D --defined-only "$module" | awk '{print $NF}' | sort)
    if [ "$exported" != "$factory" ]; then
        echo "$module exports $(wc -l <<<"$exported") symbols, not only $factory:" >&2
        grep -vx "$factory" <<<"$exported" | head -20 | sed 's/^/  /' >&2
        failed=1
    else
        echo "$(basename "$module") exports only $factory"
    fi
done
exit "$failed"
