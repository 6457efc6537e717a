#!/usr/bin/env bash
# Takes a PNG of the settings window as the built program shows it on a private Xvfb (no
# window manager, so the picture is the client area alone) and writes it to
# docs/settings-window.png, or to the file given.
#
#   tools/screenshot-settings.sh [OUTPUT.png]
#
# BUILD_DIR picks the build (default build/release); DRAPE_ARGS the program's arguments
# (default none: a plain start, which opens the window on the Default preset) and WINDOW_TITLE the title waited for (default "^Drape v1.81$"), so that the
# same script photographs other windows, e.g. DRAPE_ARGS=help WINDOW_TITLE='v1.81 - '.
# Needs Xvfb, xdotool and ImageMagick's import (tools/install-deps.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

build=${BUILD_DIR:-build/release}
output=${1:-docs/settings-window.png}
read -r -a words <<<"${DRAPE_ARGS-}"
title=${WINDOW_TITLE:-^Drape v1.81\$}

work=$(mktemp -d)
mkdir -p "$work/runtime"
chmod 700 "$work/runtime"
xvfb= drape=
cleanup() {
    [ -n "$drape" ] && kill "$drape" 2>/dev/null || true
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# The server writes its display number once it accepts connections.
exec {ready}<> <(:)
Xvfb -displayfd "$ready" -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
read -r -t 15 -u "$ready" number
export DISPLAY=":$number"

(exec env -i PATH="$PATH" HOME="$work" TMPDIR="$work" XDG_CONFIG_HOME="$work/config" \
    XDG_RUNTIME_DIR="$work/runtime" DRAPE_MONITORS="1024x768@0,0" DISPLAY="$DISPLAY" \
    "$build/src/drape" "${words[@]}" 2>"$work/stderr") &
drape=$!

window=
for _ in $(seq 100); do
    window=$(xdotool search --onlyvisible --name "$title" 2>/dev/null | head -1) || true
    [ -n "$window" ] && break
    sleep 0.1
done
if [ -z "$window" ]; then
    echo "screenshot-settings: no window titled '$title' appeared" >&2
    cat "$work/stderr" >&2
    exit 1
fi
# Let the first paint finish.
sleep 0.5
import -window "$window" "$output"
echo "screenshot-settings: wrote $output ($(identify -format '%wx%h' "$output"))"
