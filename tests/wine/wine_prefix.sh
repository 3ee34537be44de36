#!/bin/sh
# Makes (start) or removes (stop) the Wine prefix that the Windows end-to-end
# tests share. WINEPREFIX, LOCPATH and the rest come from CTest.
set -eu

JAPANESE_LOCALE=ja_JP.UTF-8

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
    # A Japanese Windows: Wine takes the ANSI code page (932) from the
    # locale, made here so that the machine needs no Japanese locale.
    mkdir -p "$LOCPATH"
    LC_ALL=C localedef -i ja_JP -f UTF-8 "$LOCPATH/$JAPANESE_LOCALE"
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
