#!/bin/sh
# Makes what a Windows user downloads from the Windows build: Velmora.scr and Velmora.dll
# without debug information and README.txt, in DIST_DIR and in DIST_DIR/Velmora.zip.
# Usage: make-dist.sh WINDOWS_BUILD_DIR DIST_DIR
set -eu

if [ $# -ne 2 ]; then
    echo "usage: $0 WINDOWS_BUILD_DIR DIST_DIR" >&2
    exit 2
fi
build=$1
dist=$2

rm -f "$dist/Velmora.zip"
cmake --install "$build" --prefix "$dist" --strip >/dev/null
# -X: no Unix owners or extra time stamps, which Windows' own unzip ignores anyway.
(cd "$dist" && zip -q -X Velmora.zip Velmora.scr Velmora.dll README.txt)
for file in Velmora.scr Velmora.dll Velmora.zip; do
    echo "$dist/$file: $(stat -c %s "$dist/$file") bytes"
done
