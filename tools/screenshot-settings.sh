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

source tools/lib/drape-run.sh
drape_work
drape_start_xvfb
drape_start_window "$build" "$title" "${words[@]}"
# Let the first paint finish.
sleep 0.5
import -window "$found" "$output"
echo "screenshot-settings: wrote $output ($(identify -format '%wx%h' "$output"))"
