#!/usr/bin/env bash
# Builds the Debian package from a build tree with cpack and checks its name,
# its file list and that its dependencies, read from the binaries, pull in
# the runtime libraries and fonts the program needs.
#   deb-package.sh BUILD_DIR WORK_DIR LIBDIR
set -euo pipefail
build=$1
work=$2
libdir=$3
rm -rf "$work"
mkdir -p "$work"
# The copies of every binary made here run to hundreds of megabytes in a
# sanitizer build; they go once checked.
trap 'rm -rf "$work"' EXIT
(cd "$build" && cpack -G DEB -B "$work" >"$work/cpack.log" 2>&1) || {
    cat "$work/cpack.log"
    exit 1
}
shopt -s nullglob
packages=("$work"/vidorama_*_*.deb)
if [ ${#packages[@]} -ne 1 ]; then
    echo "FAIL: expected one vidorama_VERSION_ARCH.deb in $work"
    ls "$work"
    exit 1
fi
deb=${packages[0]}

[ "$(dpkg-deb -f "$deb" Package)" = vidorama ]
expected="./usr/bin/vidorama
./usr/bin/vidorama-convert
./usr/$libdir/vidorama/libvidorama-encoder.so
./usr/$libdir/vidorama/libvidorama-flash.so
./usr/$libdir/vidorama/libvidorama-waveout.so
./usr/share/applications/vidorama.desktop
./usr/share/doc/vidorama/copyright
./usr/share/icons/hicolor/scalable/apps/vidorama.svg"
for size in 16 24 32 48 64 128 256; do
    expected+=$'\n'"./usr/share/icons/hicolor/${size}x${size}/apps/vidorama.png"
done
if ! diff <(sort <<<"$expected") <(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sort); then
    echo "FAIL: the package's files differ from the expected ones (< expected, > packaged)"
    exit 1
fi

depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6widgets6 libqt6gui6 libqt6multimedia6 libqt6network6 libqt6dbus6 \
    libavcodec libavformat libswscale libswresample libavutil libfontconfig1 libfreetype6 \
    zlib1g liblzma5 qt6-qpa-plugins fonts-urw-base35 fonts-dejavu-core fonts-liberation2; do
    if ! grep -Eq "(^|, )$needed[0-9]*[ ,]" <<<"$depends, "; then
        echo "FAIL: Depends lacks $needed: $depends"
        exit 1
    fi
done
if grep -q vidorama <<<"$depends"; then
    echo "FAIL: the package depends on its own libraries: $depends"
    exit 1
fi
echo "$(basename "$deb"): Depends: $depends"
