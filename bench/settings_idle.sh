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

work=$(mktemp -d)
mkdir -p "$work/runtime"
chmod 700 "$work/runtime"
xvfb= pid=
cleanup() {
    [ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null || true
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

exec {ready}<> <(:)
Xvfb -displayfd "$ready" -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
read -r -t 15 -u "$ready" number
export DISPLAY=":$number"

# exec, so that $! is the program itself and not a shell waiting for it.
(exec env -i PATH="$PATH" HOME="$work" TMPDIR="$work" XDG_CONFIG_HOME="$work/config" \
    XDG_RUNTIME_DIR="$work/runtime" DRAPE_MONITORS="1024x768@0,0" DISPLAY="$DISPLAY" \
    "$build/src/drape" "${words[@]}" 2>"$work/stderr") &
pid=$!

found=
for _ in $(seq 100); do
    found=$(xdotool search --onlyvisible --name "$title" 2>/dev/null | head -1) || true
    [ -n "$found" ] && break
    sleep 0.1
done
if [ -z "$found" ]; then
    echo "no window titled '$title' appeared:" >&2
    cat "$work/stderr" >&2
    exit 1
fi
sleep "$settle"

cpu_ticks() { sed 's/.*) //' "/proc/$pid/stat" | awk '{ print $12 + $13 }'; }
wakeups() { awk '/^voluntary_ctxt_switches/ { print $2 }' "/proc/$pid/status"; }
now() { date +%s.%N; }

ticks0=$(cpu_ticks) wake0=$(wakeups) start=$(now)
sleep "$window"
ticks1=$(cpu_ticks) wake1=$(wakeups) end=$(now)

hz=$(getconf CLK_TCK)
percent=$(awk -v t=$((ticks1 - ticks0)) -v hz="$hz" -v s="$start" -v e="$end" \
    'BEGIN { printf "%.2f", 100 * t / hz / (e - s) }')
printf 'open window at rest, %s s: %d clock ticks of %d Hz, %s %% of one core, %d wake-ups\n' \
    "$window" $((ticks1 - ticks0)) "$hz" "$percent" $((wake1 - wake0))

if awk -v p="$percent" 'BEGIN { exit !(p < 1) }'; then
    echo "target < 1 %: met"
else
    echo "target < 1 %: missed"
    exit 1
fi
