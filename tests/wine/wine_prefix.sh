#!/bin/sh
# Makes (start) or removes (stop) the Wine prefix that the Windows end-to-end
# tests share. WINEPREFIX, LOCPATH and the rest come from CTest.
set -eu

# The Windows each suite runs as: Wine takes the ANSI code page from the
# locale, 932 for Japanese and 1252 for English.
LOCALES="ja_JP en_US"

stop_prefix() {
    [ -d "$WINEPREFIX" ] || return 0
    # Only this prefix's server is stopped.
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    # Wine keeps the server's socket folder in a temporary folder whose name
    # the prefix records.
    if [ -f "$WINEPREFIX/wineserver" ]; then
        socket_dir="${TMPDIR:-/tmp}/$(cat "$WINEPREFIX/wineserver")"
        case "$socket_dir" in
        */wine-*) rm -rf "$socket_dir" ;;
        esac
    fi
    rm -rf "$WINEPREFIX"
}

case "$1" in
start)
    stop_prefix
    # Made here so that the machine needs neither locale installed.
    mkdir -p "$LOCPATH"
    for locale in $LOCALES; do
        LC_ALL=C localedef -i "$locale" -f UTF-8 "$LOCPATH/$locale.UTF-8"
    done
    # One persistent server for the whole run instead of one per start; it
    # needs the prefix folder to exist.
    mkdir -p "$WINEPREFIX"
    wineserver -p </dev/null >/dev/null 2>&1
    # Wine's prefix-creation messages must never reach a test's streams.
    wineboot -i </dev/null >/dev/null 2>&1
    ;;
stop)
    stop_prefix
    rm -rf "$LOCPATH"
    ;;
*)
    echo "usage: $0 start|stop" >&2
    exit 2
    ;;
esac
