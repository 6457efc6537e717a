#!/usr/bin/env bash
# Runs a Windows program under Wine in the test run's own prefix and X display.
#
#   wine-run.sh --setup      a fresh prefix and an Xvfb screen of 1920 x 1080, or
#                            $DRAPE_WINE_SCREEN (WxHxDEPTH), before the tests
#   wine-run.sh --cleanup    ends Wine and the screen (after the tests)
#   wine-run.sh prog.exe …   runs the program there and passes its exit status on
#
# The state lives in $DRAPE_WINE_STATE (default: ./wine): the prefix, the display number and
# the server's process id.
set -euo pipefail

state=${DRAPE_WINE_STATE:-$PWD/wine}
export WINEPREFIX="$state/prefix"
export WINEDEBUG=${WINEDEBUG:--all}
# No desktop integration or Mono/Gecko prompts in a throw-away prefix.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-winemenubuilder.exe=d;mscoree=d;mshtml=d}

stop_everything() {
    if [[ -d "$WINEPREFIX" ]]; then
        wineserver -k 2>/dev/null || true
    fi
    if [[ -f "$state/xvfb.pid" ]]; then
        kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
        rm -f "$state/xvfb.pid"
    fi
}

case "${1:-}" in
--setup)
    stop_everything
    rm -rf "$state"
    mkdir -p "$state"
    # Xvfb picks a free display and writes its number once it accepts clients.
    exec 3<> <(:)
    Xvfb -displayfd 3 -screen 0 "${DRAPE_WINE_SCREEN:-1920x1080x24}" -nolisten tcp >"$state/xvfb.log" 2>&1 &
    echo $! >"$state/xvfb.pid"
    read -r -t 20 display <&3 || { echo "wine-run: Xvfb did not start" >&2; exit 1; }
    exec 3<&-
    echo ":$display" >"$state/display"
    export DISPLAY=":$display"
    wineboot --init >"$state/wineboot.log" 2>&1
    wineserver -w
    ;;
--cleanup)
    stop_everything
    ;;
"")
    echo "usage: wine-run.sh --setup | --cleanup | program.exe [arguments]" >&2
    exit 2
    ;;
*)
    [[ -f "$state/display" ]] || { echo "wine-run: no test prefix; run --setup first" >&2; exit 1; }
    DISPLAY=$(cat "$state/display")
    export DISPLAY
    exec wine "$@"
    ;;
esac
