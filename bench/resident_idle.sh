#!/usr/bin/env bash
# CPU use of a resident instance at rest: starts `drape red background` in a private
# environment (its own home, temporary, config and runtime folders, no display, one 1920x1080
# monitor), lets it settle, reads its user and system time from /proc/<pid>/stat over a
# measuring window and prints the share of one core. Target: below 1 %. Ends the instance with
# `drape kill`. Exits with 1 when the target is missed.
#
#   bench/resident_idle.sh           # MEASURE_SECONDS=30 for a longer window, BUILD_DIR
set -euo pipefail
cd "$(dirname "$0")/.."

build=${BUILD_DIR:-build/release}
window=${MEASURE_SECONDS:-10}
settle=${SETTLE_SECONDS:-3}
cmake --build "$build" -j2 --target drape >/dev/null

source tools/lib/drape-run.sh
drape_work

drape=(env -i PATH="$PATH" HOME="$work" TMPDIR="$work" XDG_CONFIG_HOME="$work/config"
    XDG_RUNTIME_DIR="$work/runtime" DRAPE_MONITORS="1920x1080@0,0" "$build/src/drape")

# exec, so that $! is the instance itself and not a shell waiting for it.
(exec "${drape[@]}" red background 2>"$work/stderr") &
pid=$!
sleep "$settle"
if [ "$(cat "/proc/$pid/comm" 2>/dev/null)" != drape ] || grep -q '^State:.*Z' "/proc/$pid/status"; then
    echo "drape did not stay resident:" >&2
    cat "$work/stderr" >&2
    exit 1
fi

drape_cpu_share "$window" "resident instance at rest"

"${drape[@]}" kill 2>/dev/null
for _ in $(seq 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
    echo "drape kill did not end the instance" >&2
    exit 1
fi
wait "$pid" || true
pid=

# The target is judged once the instance has been ended the way users end it.
drape_below_one_percent
