#!/usr/bin/env bash
# Converts the first 20 seconds of every corpus movie at its own size to H.264
# MP4 (a movie plays on as a player would) and prints, slowest first, the
# processor time each conversion took against the length of the video it
# wrote. A ratio above 1 is a movie that converts slower than real time.
# Usage: bench/corpus/corpus-speed.sh [CONVERTER] [CASE...]
# CONVERTER defaults to build/bin/vidorama-convert; CASE is a folder under
# ../shared/corpus, e.g. ruffle/from_shumway__acid__acid-video.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
convert=${1:-$root/build/bin/vidorama-convert}
shift || true
corpus="$root/../shared/corpus"
cases=("$@")
if [ ${#cases[@]} -eq 0 ]; then
    mapfile -t cases < <(cd "$corpus" && find . -name test.swf -printf '%h\n' | sed 's|^\./||' | sort)
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
results="$work/results"
for case in "${cases[@]}"; do
    output="$work/out.mp4"
    rm -f "$output"
    if ! /usr/bin/time -f '%U %S' -o "$work/time" "$convert" --progress none --overwrite \
        --end 20s -o "$output" "$corpus/$case/test.swf" >/dev/null 2>&1; then
        printf '%-70s failed\n' "$case" >>"$results"
        continue
    fi
    cpu=$(awk '{ print $1 + $2 }' "$work/time")
    length=$(ffprobe -v quiet -show_entries format=duration -of csv=p=0 "$output")
    awk -v c="$case" -v cpu="$cpu" -v len="${length:-0}" 'BEGIN {
        ratio = len > 0 ? cpu / len : 0
        printf "%-70s %7.2f s cpu %7.2f s video %6.2fx real time\n", c, cpu, len, ratio
    }' >>"$results"
done
sort -k8 -g -r "$results"
awk '$NF == "time" { total++; if ($(NF-2) + 0 > 1) slow++ } END {
    printf "%d movies measured, %d slower than real time\n", total, slow
}' "$results"
