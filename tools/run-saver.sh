#!/bin/sh
# Starts the screen saver under Wine. On an X display it runs until Esc. Without one it
# runs on a virtual display (VELMORA_RUN_SCREEN, 1920x1080x24 unless set) until the ball
# shows, leaves that screenshot in out/velmora-run.png and ends the run; it fails, saving
# nothing, if the renderer's window or the ball never appears, and fails too if Esc does
# not end the run.
set -eu
bin_dir=$1
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
screen=${VELMORA_RUN_SCREEN:-1920x1080x24}
limit=60  # seconds for each wait below, once the prefix is ready

if [ -f "$bin_dir/Velmora.scr" ]; then
    program="$bin_dir/Velmora.scr"; switch=/s
else
    program="$bin_dir/Velmora.dll"; switch=""
fi

if [ -n "${DISPLAY:-}" ]; then
    echo "starting $(basename "$program") on $DISPLAY; press Esc to end it"
    exec "$wine" "$program" $switch
fi

# A fresh prefix takes a while to create: make it, and wait until Wine has finished with
# it, before a wineserver binds to the virtual display.
echo "preparing the Wine prefix ${WINEPREFIX:-$HOME/.wine}"
"$wine" wineboot -i >/dev/null 2>&1 || true
if ! timeout 300 "$wineserver" -w; then
    echo "the Wine prefix stayed busy for 5 minutes" >&2
    exit 1
fi

work=$(mktemp -d)
xvfb=""
saver=""
cleanup() {
    if [ -n "$saver" ]; then kill "$saver" 2>/dev/null || true; fi
    "$wineserver" -k 2>/dev/null || true
    if [ -n "$xvfb" ]; then kill "$xvfb" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Polls a command until it succeeds or the limit has passed; false then.
wait_for() {
    started=$(date +%s)
    until "$@"; do
        if [ $(($(date +%s) - started)) -ge "$limit" ]; then
            return 1
        fi
        sleep 0.2
    done
}

# Xvfb picks a free display itself and writes its number once it is ready.
Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset 3>"$work/display" \
    >/dev/null 2>&1 &
xvfb=$!
display_ready() { [ -s "$work/display" ]; }
if ! wait_for display_ready; then
    echo "Xvfb did not start" >&2
    exit 1
fi
export DISPLAY=":$(cat "$work/display")"
echo "no X display: running on a virtual one ($DISPLAY, $screen)"

"$wine" "$program" $switch >/dev/null 2>&1 &
saver=$!

renderer_shown() {
    "$wine" "$bin_dir/velmora_probe.exe" find VelmoraVC 2>/dev/null | grep -q '^visible=1'
}
if ! wait_for renderer_shown; then
    echo "the renderer's window \"VelmoraVC\" did not appear within $limit s" >&2
    exit 1
fi

# The window shows before the texture and the mesh are built: wait for the lit ball.
ball_lit() {
    import -display "$DISPLAY" -window root "$work/shot.png" 2>/dev/null || return 1
    level=$(convert "$work/shot.png" -gravity center -crop 64x64+0+0 +repage \
        -colorspace Gray -format '%[fx:int(255*maxima)]' info: 2>/dev/null) || return 1
    [ "${level:-0}" -ge 128 ]
}
if ! wait_for ball_lit; then
    echo "the ball did not appear within $limit s; no screenshot saved" >&2
    exit 1
fi
mkdir -p out
cp "$work/shot.png" out/velmora-run.png
echo "screenshot: out/velmora-run.png"

# Esc, held like a person's key press, ends the run.
width=${screen%%x*}
rest=${screen#*x}
height=${rest%%x*}
xdotool mousemove $((width / 2)) $((height / 2)) keydown Escape sleep 0.2 keyup Escape \
    2>/dev/null || true
saver_ended() { ! kill -0 "$saver" 2>/dev/null; }
if ! wait_for saver_ended; then
    echo "Esc did not end the run within $limit s" >&2
    exit 1
fi
saver=""
