#!/usr/bin/env bash
# Makes the repository's own sample movie and converts it with vidorama-convert
# into an AVI (Xvid video, MP3 sound) and an MP4 (H.264 video, AAC sound), then
# says where the videos are. Builds nothing: it runs the programs of an
# existing build tree.
#   scripts/convert-sample.sh [BUILD_DIR] [OUTPUT_DIR]
# BUILD_DIR defaults to build/, OUTPUT_DIR to BUILD_DIR/sample/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
out=${2:-$build/sample}
mkdir -p "$out"
out=$(cd "$out" && pwd)

"$build/bin/vidorama-make-sample" "$out/sample.swf"
"$build/bin/vidorama-convert" --overwrite --vcodec xvid --acodec mp3 "$out/sample.swf" -o "$out/sample.avi"
"$build/bin/vidorama-convert" --overwrite "$out/sample.swf" -o "$out/sample.mp4"

echo "Converted the sample movie $out/sample.swf:"
echo "  $out/sample.avi  (Xvid video, MP3 sound)"
echo "  $out/sample.mp4  (H.264 video, AAC sound)"
