#!/usr/bin/env bash
# Installs what is needed, builds Vidorama and starts the program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" build -DCMAKE_BUILD_TYPE=Release
echo "Built $root/build/bin/vidorama; starting it."
exec "$root/build/bin/vidorama"
