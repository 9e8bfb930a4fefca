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
xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils xcvt
pulseaudio pulseaudio-utils lame gstreamer1.0-plugins-good
dpkg-dev lintian
"

# Commands the tests run, each with the package above that brings it: one that came only as
# another package's recommendation is missing where recommends are off.
check_commands() {
    for pair in cvt:xcvt Xorg:xserver-xorg-core Xvfb:xvfb xrandr:x11-xserver-utils \
            xdotool:xdotool pactl:pulseaudio-utils lame:lame; do
        if ! command -v "${pair%%:*}" >/dev/null 2>&1; then
            echo "install-deps: ${pair%%:*} is missing; the tests need it (package ${pair#*:})" >&2
            exit 1
        fi
    done
}

missing=""
for package in $PACKAGES; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    case "$status" in
        *"install ok installed"*) ;;
        *) missing="$missing $package" ;;
    esac
done
if [ -z "$missing" ]; then
    check_commands
    exit 0
fi

echo "installing:$missing"
if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
# shellcheck disable=SC2086
$sudo apt-get install -y -qq $missing >/dev/null
check_commands
