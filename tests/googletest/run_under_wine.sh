#!/bin/sh
# Runs a Windows test program under Wine without a display, in the given Wine prefix, which
# it makes on first use (about 10 s; under a lock, since CTest may ask for several at once).
# Usage: run_under_wine.sh WINE WINESERVER PREFIX PROGRAM [ARGUMENTS...]
set -eu

wine=$1
wineserver=$2
prefix=$3
shift 3
export WINEPREFIX="$prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# Wine takes its ANSI code page from the locale: C is English, code page 1252, whatever the
# host's language.
export LC_ALL=C.UTF-8 LANG=C.UTF-8
unset LANGUAGE
unset DISPLAY WAYLAND_DISPLAY

if [ ! -f "$prefix/.velmora-ready" ]; then
    mkdir -p "$prefix"
    (
        flock 9
        if [ ! -f "$prefix/.velmora-ready" ]; then
            "$wine" wineboot -i >/dev/null 2>&1 </dev/null
            "$wineserver" -w
            touch "$prefix/.velmora-ready"
        fi
    ) 9>"$prefix.lock"
fi

# One wineserver serves every test program, lingering 30 s after the last one instead of its
# own 3 s: a program that starts just as a lingering server shuts down is refused by it
# ("recvmsg: Connection reset by peer"). With a server already running this start is
# refused at once and changes nothing.
"$wineserver" -p30 </dev/null >/dev/null 2>&1 || true

# The program writes to files, not to our caller's pipes: the Wine services it may start
# outlive it by seconds with its streams, and CTest would wait for them. Its text-mode
# line ends (CR LF) come back as the Linux ones GoogleTest's test discovery reads.
out=$(mktemp)
err=$(mktemp)
started="$out.started"
trap 'rm -f "$out" "$err" "$started"' EXIT
trap 'exit 143' HUP INT TERM
# Each test program leaves a mark as the first thing it does, before any static initialiser
# of its own (tests/googletest/started_mark.cpp), on drive Z:, which is the Linux root. Only
# a program that left no mark and wrote nothing at all, on either stream, provably never
# started (Wine could not start it, as when a lingering wineserver goes away at that moment):
# it alone is started again, at most twice, saying so. A program that started is never run
# again, whatever its end, a silent crash included.
export VELMORA_STARTED_MARK="Z:$(printf '%s' "$started" | tr / '\\')"
for attempt in 1 2 3; do
    status=0
    rm -f "$started"
    "$wine" "$@" >"$out" 2>"$err" </dev/null || status=$?
    if [ "$status" -eq 0 ] || [ -e "$started" ] || [ -s "$out" ] || [ -s "$err" ]; then
        break
    fi
    echo "run_under_wine: $1 never started (exit $status, no mark, nothing on stdout or" \
        "stderr); attempt $attempt of 3" >&2
done
tr -d '\r' <"$out"
tr -d '\r' <"$err" >&2
exit "$status"
