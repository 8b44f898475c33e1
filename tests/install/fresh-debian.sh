#!/usr/bin/env bash
# Installs the Debian package on a freshly bootstrapped Debian 12 (a chroot
# made with debootstrap, packages from the Debian mirror, recommended
# packages left out so that every runtime need must be a dependency), then
# converts a movie with the installed converter and starts the desktop
# program with its menu entry's command line on a real X server.
# Needs root and the Debian mirror; too slow and too networked for CI, so it
# is run by hand before a release:
#   tests/install/fresh-debian.sh BUILD_DIR [WORK_DIR]
set -euo pipefail
build=$(cd "${1:?build directory}" && pwd)
work=${2:-/tmp/vidorama-fresh-debian}
root=$work/root
display=:97

command -v debootstrap >/dev/null || apt-get install -y debootstrap
command -v Xvfb >/dev/null || apt-get install -y xvfb

rm -rf "$work"
mkdir -p "$work"
bash "$(dirname "$0")/deb-package.sh" "$build" "$work/deb" \
    "$(sed -n 's/^CMAKE_INSTALL_LIBDIR:PATH=//p' "$build/CMakeCache.txt")"
"$build/bin/vidorama-make-sample" "$work/sample.swf" >/dev/null

echo "bootstrapping Debian 12 into $root"
debootstrap --variant=minbase bookworm "$root" http://deb.debian.org/debian >"$work/debootstrap.log"
xvfb_pid=
cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    umount "$root/tmp/.X11-unix" "$root/proc" 2>/dev/null || true
}
trap cleanup EXIT
mount --bind /proc "$root/proc"
cp "$work"/deb/vidorama_*.deb "$work/sample.swf" "$root/root/"

echo "installing the package"
chroot "$root" /bin/bash -c 'apt-get update -qq &&
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        /root/vidorama_*.deb' >"$work/apt.log"

echo "converting the sample movie with the installed converter"
chroot "$root" /bin/bash -c 'cd /root && vidorama-convert -o sample.avi sample.swf'
chroot "$root" /bin/bash -c 'test -s /root/sample.avi'

echo "starting the desktop program from its menu entry on a real X server"
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp &
xvfb_pid=$!
mkdir -p "$root/tmp/.X11-unix"
mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"
sleep 1
exec_line=$(sed -n 's/^Exec=//p' "$root/usr/share/applications/vidorama.desktop")
command=${exec_line//%f//root/sample.swf}
status=0
chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/bin:/bin DISPLAY="$display" \
    XDG_RUNTIME_DIR=/tmp timeout 8 $command >"$work/program.log" 2>&1 || status=$?
if [ "$status" -ne 124 ]; then
    echo "FAIL: the program ended (status $status) instead of showing its window"
    cat "$work/program.log"
    exit 1
fi
echo "PASS: installed on a fresh Debian 12, converted a movie, the program ran until stopped"
