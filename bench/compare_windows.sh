#!/usr/bin/env bash
# Whole-process comparison of the Linux build and drape.exe under Wine on one 3840x2160
# monitor: `red keep` and `load photo-6000x4000.jpg fade text "A|B" keep`. Prints the median
# wall time and the peak resident memory of each, and Wine's cost of starting a program that
# does nothing, which the drape.exe figures include.
#
#   bench/compare_windows.sh         # RUNS=9 for more repetitions, BENCH_DATA
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${RUNS:-5}
photo=$(realpath "${BENCH_DATA:-../shared/bench-data}/photo-6000x4000.jpg")
[ -f "$photo" ] || { echo "missing $photo"; exit 1; }
cmake --build build/release --target drape >/dev/null
cmake --build build/windows --target drape >/dev/null

work=$(mktemp -d)
export DRAPE_WINE_STATE="$work/wine" DRAPE_WINE_SCREEN=3840x2160x24
trap 'bash tools/wine-run.sh --cleanup; rm -rf "$work"' EXIT
bash tools/wine-run.sh --setup
mkdir -p "$work/config" "$work/runtime"
chmod 700 "$work/runtime"
winphoto=$(bash tools/wine-run.sh winepath -w "$photo" 2>/dev/null)

source bench/measure.sh
linux() {
    measure env -u DISPLAY TMPDIR="$work" XDG_CONFIG_HOME="$work/config" \
        XDG_RUNTIME_DIR="$work/runtime" HOME="$work" DRAPE_MONITORS=3840x2160@0,0 \
        build/release/src/drape "$@"
}
windows() {
    measure bash tools/wine-run.sh build/windows/src/drape.exe "$@"
}

rows=(
    "Linux: red keep:$(linux red keep)"
    "Wine: red keep:$(windows red keep)"
    "Linux: load photo fade text keep:$(linux load "$photo" fade text "A|B" keep)"
    "Wine: load photo fade text keep:$(windows load "$winphoto" fade text "A|B" keep)"
    "Wine: starting cmd /c exit:$(measure bash tools/wine-run.sh cmd /c exit)"
)
echo "whole process on 3840x2160, median of $runs runs   seconds   peak RSS (MB)"
for row in "${rows[@]}"; do
    name=${row%%:*}
    rest=${row#*:}
    name="$name:${rest%%:*}"
    read -r seconds kb <<<"${rest#*:}"
    printf '%-44s %7s   %6d\n' "$name" "$seconds" $((kb / 1024))
done
