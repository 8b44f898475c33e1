#!/usr/bin/env bash
# Installs what is needed, builds Vidorama and runs its main job: converts the
# repository's own sample movie into videos and says where they went. The
# desktop program is build/bin/vidorama.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" build -DCMAKE_BUILD_TYPE=Release
bash "$root/scripts/convert-sample.sh" "$root/build"
echo "The desktop program is $root/build/bin/vidorama."
