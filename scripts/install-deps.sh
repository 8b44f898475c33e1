#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Vidorama
# needs. Does nothing when they are all present already.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config git
    clang libclang-rt-14-dev clang-format
    qt6-base-dev qt6-multimedia-dev libqt6multimedia6 qt6-qpa-plugins libgl-dev
    libavformat-dev libavcodec-dev libswscale-dev libswresample-dev libavutil-dev ffmpeg
    libyuv-dev
    zlib1g-dev liblzma-dev libjpeg-dev
    libfreetype-dev libfontconfig-dev fontconfig fonts-urw-base35
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xauth
    openbox xdotool wmctrl x11-utils imagemagick dbus at-spi2-core python3-gi gir1.2-atspi-2.0
    # The Debian package's dependencies are read from its binaries.
    dpkg-dev file
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
