#!/usr/bin/env bash
# Converts a set of corpus movies with two builds of vidorama-convert and
# compares the results frame by frame: the pictures (PNG sequences) must be
# identical, and so must the sound (uncompressed, in AVI). Video files are
# compared by PSNR, since encoders need not be bit-exact between builds.
# Usage: scripts/compare-conversions.sh OLD_CONVERT NEW_CONVERT [CASE...]
# CASE is a folder under ../shared/corpus, e.g. ruffle/from_shumway__acid__acid-video.
set -euo pipefail
old=$1
new=$2
shift 2
root=$(cd "$(dirname "$0")/.." && pwd)
corpus="$root/../shared/corpus"
cases=("$@")
if [ ${#cases[@]} -eq 0 ]; then
    cases=(
        ruffle/from_gnash__misc-ming.all__morph_test1
        ruffle/from_shumway__acid__acid-large
        ruffle/audio__stream_incomplete_loop
        ruffle/from_shumway__acid__acid-text-6
        ruffle/from_shumway__acid__acid-gradient-0
        ruffle/from_shumway__acid__acid-video
        ruffle/from_shumway__acid__acid-blend
        ruffle/from_shumway__3_joystick
        ruffle/from_gnash__misc-ming.all__Video-EmbedSquareTest
        ruffle/visual__edittext__edittext_border_basic
        ruffle/visual__filters__bevel_full
    )
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for case in "${cases[@]}"; do
    movie="$corpus/$case/test.swf"
    for side in old new; do
        convert=${!side}
        "$convert" --progress none --duration 3 --format png -o "$work/$side-png/" "$movie" >/dev/null
        "$convert" --progress none --duration 3 --vcodec xvid --acodec pcm --overwrite \
            -o "$work/$side.avi" "$movie" >/dev/null
    done
    pictures=$(find "$work/new-png" -type f | wc -l)
    verdict="pictures identical ($pictures)"
    if ! diff -rq "$work/old-png" "$work/new-png" >/dev/null; then
        verdict="PICTURES DIFFER"
        status=1
    fi
    sound_old=$(ffmpeg -v quiet -i "$work/old.avi" -map 0:a -f s16le - | md5sum)
    sound_new=$(ffmpeg -v quiet -i "$work/new.avi" -map 0:a -f s16le - | md5sum)
    if [ "$sound_old" = "$sound_new" ]; then
        verdict="$verdict, sound identical"
    else
        verdict="$verdict, SOUND DIFFERS"
        status=1
    fi
    psnr=$(ffmpeg -i "$work/old.avi" -i "$work/new.avi" -lavfi psnr -f null - 2>&1 |
        grep -o "average:[0-9.inf]*" | tail -1)
    echo "$case: $verdict, video $psnr dB"
    rm -rf "$work"/*
done
exit $status
