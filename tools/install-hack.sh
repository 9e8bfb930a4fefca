#!/bin/sh
# Installs velmora as an XScreenSaver hack: the program in $BINDIR, a link to it where
# XScreenSaver looks for hacks, and its settings file where the settings tool reads them.
# Usage: install-hack.sh PROGRAM SETTINGS_XML   (or: install-hack.sh --uninstall)
# Honours DESTDIR, PREFIX (/usr/local), BINDIR ($PREFIX/bin), and Debian's places
# HACKDIR (/usr/libexec/xscreensaver) and CONFDIR (/usr/share/xscreensaver/config).
set -eu

DESTDIR=${DESTDIR:-}
PREFIX=${PREFIX:-/usr/local}
BINDIR=${BINDIR:-$PREFIX/bin}
HACKDIR=${HACKDIR:-/usr/libexec/xscreensaver}
CONFDIR=${CONFDIR:-/usr/share/xscreensaver/config}

if [ "${1:-}" = "--uninstall" ]; then
    rm -f "$DESTDIR$BINDIR/velmora" "$DESTDIR$CONFDIR/velmora.xml"
    # Only our own link: a hack of that name installed by someone else stays.
    if [ -L "$DESTDIR$HACKDIR/velmora" ]; then
        rm -f "$DESTDIR$HACKDIR/velmora"
    fi
    exit 0
fi
if [ $# -ne 2 ]; then
    echo "usage: $0 PROGRAM SETTINGS_XML | --uninstall" >&2
    exit 2
fi
program=$1
settings=$2

install -d "$DESTDIR$BINDIR" "$DESTDIR$HACKDIR" "$DESTDIR$CONFDIR"
install -m 755 "$program" "$DESTDIR$BINDIR/velmora"
if [ "$HACKDIR" != "$BINDIR" ]; then
    # The link names the installed place, without DESTDIR: right once the tree is unpacked.
    ln -sfn "$BINDIR/velmora" "$DESTDIR$HACKDIR/velmora"
fi
install -m 644 "$settings" "$DESTDIR$CONFDIR/velmora.xml"
echo "installed $DESTDIR$BINDIR/velmora, $DESTDIR$HACKDIR/velmora, $DESTDIR$CONFDIR/velmora.xml"
