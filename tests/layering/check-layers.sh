#!/usr/bin/env bash
# Checks the program's floors: app/ is the top floor and ui/ the bottom one.
# No lower folder may include a header of app/ or link one of its libraries,
# and ui/ may include nothing of ours but itself.
#   tests/layering/check-layers.sh SOURCE_DIR
set -euo pipefail
root=${1:?usage: check-layers.sh SOURCE_DIR}
cd "$root"

lower=(ui diag capture flash encode settings controls)
ours='app|ui|diag|capture|flash|encode|settings|controls|cli|components'
failed=0

report() {
    echo "$1:" >&2
    sed 's/^/  /' <<<"$2" >&2
    failed=1
}

includes=$(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"app/' \
    --include='*.cpp' --include='*.h' "${lower[@]}" || true)
[ -z "$includes" ] || report "lower folders include app/" "$includes"

links=$(grep -nE '\bvidorama_app[a-z_]*\b' "${lower[@]/%//CMakeLists.txt}" || true)
[ -z "$links" ] || report "lower folders link a library of app/" "$links"

base=$(grep -rnE "^[[:space:]]*#[[:space:]]*include[[:space:]]*\"($ours)/" \
    --include='*.cpp' --include='*.h' ui | grep -vE '#[[:space:]]*include[[:space:]]*"ui/' || true)
[ -z "$base" ] || report "ui/ includes headers of other folders" "$base"

if [ "$failed" -eq 0 ]; then
    echo "layers hold: no lower folder reaches app/, ui/ depends on nothing of ours"
fi
exit "$failed"
