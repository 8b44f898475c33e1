#!/usr/bin/env bash
# Installs a build tree into a staging folder the way the package does (prefix
# /usr under DESTDIR) and checks what lands where, that the installed programs
# take their libraries from the installed tree rather than the build tree, and
# that the installed converter converts a movie.
#   staged-install.sh BUILD_DIR WORK_DIR LIBDIR
set -euo pipefail
build=$1
work=$2
libdir=$3
stage=$work/stage
rm -rf "$work"
mkdir -p "$work"
# The copies of every binary made here run to hundreds of megabytes in a
# sanitizer build; they go once checked.
trap 'rm -rf "$work"' EXIT
DESTDIR=$stage cmake --install "$build" --prefix /usr >/dev/null

expected="usr/bin/vidorama
usr/bin/vidorama-convert
usr/$libdir/vidorama/libvidorama-encoder.so
usr/$libdir/vidorama/libvidorama-flash.so
usr/$libdir/vidorama/libvidorama-waveout.so
usr/share/applications/vidorama.desktop
usr/share/doc/vidorama/copyright
usr/share/icons/hicolor/scalable/apps/vidorama.svg"
for size in 16 24 32 48 64 128 256; do
    expected+=$'\n'"usr/share/icons/hicolor/${size}x${size}/apps/vidorama.png"
done
if ! diff <(sort <<<"$expected") <(cd "$stage" && find . -type f -printf '%P\n' | sort); then
    echo "FAIL: the installed files differ from the expected ones (< expected, > installed)"
    exit 1
fi

grep -qx 'Exec=vidorama %f' "$stage/usr/share/applications/vidorama.desktop"
grep -qx 'MimeType=application/x-shockwave-flash;application/vnd.adobe.flash.movie;' \
    "$stage/usr/share/applications/vidorama.desktop"

modules=$stage/usr/$libdir/vidorama
for binary in "$stage"/usr/bin/* "$modules"/*.so; do
    if ldd "$binary" | grep -q 'not found'; then
        echo "FAIL: $binary misses libraries:"
        ldd "$binary" | grep 'not found'
        exit 1
    fi
done
waveout=$(ldd "$stage/usr/bin/vidorama" | awk '/libvidorama-waveout.so/ { print $3 }')
if [ "$(realpath "$waveout")" != "$(realpath "$modules/libvidorama-waveout.so")" ]; then
    echo "FAIL: the installed vidorama does not take the wave-out library from $modules"
    exit 1
fi
QT_QPA_PLATFORM=offscreen "$stage/usr/bin/vidorama" --help 2>/dev/null | grep -q 'movie'

"$build/bin/vidorama-make-sample" "$work/sample.swf"
"$stage/usr/bin/vidorama-convert" --progress none --end 24 --size 160x120 \
    "$work/sample.swf" -o "$work/sample.mp4"
video=$(ffprobe -v error -select_streams v -show_entries stream=width,height,nb_frames \
    -of csv=p=0 "$work/sample.mp4")
audio=$(ffprobe -v error -select_streams a -show_entries stream=codec_type -of csv=p=0 \
    "$work/sample.mp4")
if [ "$video" != "160,120,24" ] || [ "$audio" != "audio" ]; then
    echo "FAIL: the installed converter wrote video '$video' and sound '$audio'"
    exit 1
fi
echo "installed tree complete; its converter wrote 24 frames at 160x120 with sound"
