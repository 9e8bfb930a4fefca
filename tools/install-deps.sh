#!/bin/sh
# Installs the Debian packages the build and the tests need; silent when all are there.
set -eu

PACKAGES="
cmake ninja-build g++ make pkg-config python3
libgtest-dev googletest libpng-dev libegl-dev libgl-dev libglu1-mesa-dev libegl-mesa0 libgl1-mesa-dri
clang libclang-rt-14-dev
g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
wine64 fonts-wine xvfb xdotool imagemagick x11-utils fonts-ipafont-gothic
libx11-dev libxrandr-dev valgrind strace xscreensaver xscreensaver-data
xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
pulseaudio pulseaudio-utils lame gstreamer1.0-plugins-good
dpkg-dev lintian
"

missing=""
for package in $PACKAGES; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    case "$status" in
        *"install ok installed"*) ;;
        *) missing="$missing $package" ;;
    esac
done
[ -z "$missing" ] && exit 0

echo "installing:$missing"
if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
# shellcheck disable=SC2086
$sudo apt-get install -y -qq $missing >/dev/null
