#!/bin/sh
# Starts the screen saver under Wine. On an X display it runs until Esc; without one it
# runs for a few seconds on a virtual display and leaves a screenshot in out/.
set -eu
bin_dir=$1
wine=/usr/lib/wine/wine64
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

if [ -f "$bin_dir/Velmora.scr" ]; then
    program="$bin_dir/Velmora.scr"; switch=/s
else
    program="$bin_dir/Velmora.dll"; switch=""
fi

if [ -n "${DISPLAY:-}" ]; then
    echo "starting $(basename "$program") on $DISPLAY; press Esc to end it"
    exec "$wine" "$program" $switch
fi

mkdir -p out
number=99
while [ -e "/tmp/.X$number-lock" ]; do number=$((number + 1)); done
export DISPLAY=":$number"
Xvfb "$DISPLAY" -screen 0 1024x768x16 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
"$wine" "$program" $switch >/dev/null 2>&1 &
saver=$!
cleanup() {
    kill "$saver" 2>/dev/null || true
    /usr/lib/wine/wineserver -k 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT INT TERM
echo "no X display: running on a virtual one ($DISPLAY) for a few seconds"
sleep 8
import -display "$DISPLAY" -window root out/velmora-run.png
xdotool mousemove 512 384 key Escape 2>/dev/null || true
sleep 2
echo "screenshot: out/velmora-run.png"
