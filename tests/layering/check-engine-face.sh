#!/usr/bin/env bash
# Checks that the engine's drivers program against its public face alone:
# no file of the given folders includes a header of the engine's private
# source tree (components/swfplayer/src), other than the folder's own.
#   tests/layering/check-engine-face.sh SOURCE_DIR FOLDER...
set -euo pipefail
root=${1:?usage: check-engine-face.sh SOURCE_DIR FOLDER...}
shift
cd "$root"
private=components/swfplayer/src
failed=0
for folder in "$@"; do
    while IFS=: read -r file line header; do
        if [ -f "$private/$header" ] && [ "$(dirname "$private/$header")" != "$folder" ]; then
            echo "$file:$line includes the engine's private $header" >&2
            failed=1
        fi
    done < <(grep -rnoE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"]+"' \
        --include='*.cpp' --include='*.h' "$folder" |
        sed -E 's/^([^:]+):([0-9]+):.*"([^"]+)"$/\1:\2:\3/')
done
if [ "$failed" -eq 0 ]; then
    echo "only the engine's public headers are included from: $*"
fi
exit "$failed"
