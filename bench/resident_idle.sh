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

work=$(mktemp -d)
mkdir -p "$work/runtime"
chmod 700 "$work/runtime"
pid=
cleanup() {
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
        kill -KILL "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

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

# Fields 14 and 15 of /proc/<pid>/stat, counted after the ")" that ends the program name.
cpu_ticks() { sed 's/.*) //' "/proc/$pid/stat" | awk '{ print $12 + $13 }'; }
# Voluntary context switches: how often the instance went to sleep, i.e. woke up.
wakeups() { awk '/^voluntary_ctxt_switches/ { print $2 }' "/proc/$pid/status"; }
now() { date +%s.%N; }

ticks0=$(cpu_ticks) wake0=$(wakeups) start=$(now)
sleep "$window"
ticks1=$(cpu_ticks) wake1=$(wakeups) end=$(now)

hz=$(getconf CLK_TCK)
percent=$(awk -v t=$((ticks1 - ticks0)) -v hz="$hz" -v s="$start" -v e="$end" \
    'BEGIN { printf "%.2f", 100 * t / hz / (e - s) }')
printf 'resident instance at rest, %s s: %d clock ticks of %d Hz, %s %% of one core, %d wake-ups\n' \
    "$window" $((ticks1 - ticks0)) "$hz" "$percent" $((wake1 - wake0))

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

if awk -v p="$percent" 'BEGIN { exit !(p < 1) }'; then
    echo "target < 1 %: met"
else
    echo "target < 1 %: missed"
    exit 1
fi
