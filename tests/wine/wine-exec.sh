#!/bin/bash
# ctest's emulator for cross-built programs: runs one under Wine in the test prefix.
# The program's stdout and exit code pass through; Wine's own messages go to stderr.
set -u
if [[ -z "${WINEPREFIX:-}" ]]; then
    echo "wine-exec.sh: WINEPREFIX is not set; the wineprefix test fixture provides it" >&2
    exit 125
fi
if [[ ! -d "$WINEPREFIX" ]]; then
    echo "wine-exec.sh: no Wine prefix at $WINEPREFIX; run the wineprefix_setup test first" >&2
    exit 125
fi
export WINEPREFIX
export WINEDEBUG="${WINEDEBUG:--all}"
exec wine "$@"
