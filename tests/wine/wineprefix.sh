#!/bin/bash
# The throwaway 32-bit Wine prefix that the Wine tests share.
#   wineprefix.sh setup PREFIX    fresh prefix, with a server kept running for the tests
#   wineprefix.sh cleanup PREFIX  stop everything and remove the prefix
set -euo pipefail
action=${1:?setup or cleanup}
export WINEPREFIX=${2:?prefix directory}
export WINEDEBUG=-all
log="$WINEPREFIX.log"

stop_server() {
    if [[ -d "$WINEPREFIX" ]]; then wineserver -k >/dev/null 2>&1 || true; fi
}

case "$action" in
    setup)
        stop_server
        rm -rf "$WINEPREFIX"
        started=$SECONDS
        # No Mono or Gecko: nothing here needs them, and asking for them costs time.
        WINEARCH=win32 WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >"$log" 2>&1
        wineserver -w
        # Keep one server and its service processes for the whole run, started here with their
        # output in the log: a server started by a test would hold that test's output pipe open
        # until it exits, and print its object dump into it.
        { wineserver -p && wine cmd /c exit; } >>"$log" 2>&1 </dev/null
        [[ -f "$WINEPREFIX/system.reg" ]] || { echo "no prefix was created; see $log" >&2; exit 1; }
        echo "fresh 32-bit prefix at $WINEPREFIX in $((SECONDS - started)) s"
        ;;
    cleanup)
        stop_server
        rm -rf "$WINEPREFIX"
        echo "removed $WINEPREFIX"
        ;;
    *)
        echo "usage: $0 setup|cleanup PREFIX" >&2
        exit 2
        ;;
esac
