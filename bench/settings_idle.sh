#!/usr/bin/env bash
# CPU use of the settings window at rest: starts `drape gui` on a private Xvfb (no window
# manager) in a private environment, waits for the window, lets it settle, reads the
# program's user and system time from /proc/<pid>/stat over a measuring window and prints the
# share of one core. Target: below 1 %. Exits with 1 when the target is missed.
#
#   bench/settings_idle.sh           # MEASURE_SECONDS=30 for a longer window, BUILD_DIR
#
# DRAPE_ARGS and WINDOW_TITLE measure another window the same way, e.g. the documentation
# viewer: DRAPE_ARGS=help WINDOW_TITLE='v1.81 - '.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${BUILD_DIR:-build/release}
window=${MEASURE_SECONDS:-10}
settle=${SETTLE_SECONDS:-2}
read -r -a words <<<"${DRAPE_ARGS:-gui}"
title=${WINDOW_TITLE:-^Drape v1.81\$}
cmake --build "$build" -j2 --target drape >/dev/null

source tools/lib/drape-run.sh
drape_work
drape_start_xvfb
drape_start_window "$build" "$title" "${words[@]}"
sleep "$settle"
drape_cpu_share "$window" "open window at rest"
drape_below_one_percent
