#!/usr/bin/env bash
# Whole-process comparison: Drape loading a 6000x4000 photograph onto one 3840x2160 monitor
# (decode, fit, fade, text, BMP write) against libvips and ImageMagick doing only decode,
# resize to 3840x2160 and write of the same photograph. Prints the median wall time and the
# peak resident memory of each. Then Drape fits large valid photographs that it generates
# (30000x30000 1-bit PNG and 8-bit RLE BMP, 16000x16000 true-colour PNG) onto 1920x1080 and
# checks that the desktop shows them.
#
#   bench/compare_load.sh            # RUNS=9 for more repetitions, BUILD_DIR, BENCH_DATA
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${RUNS:-7}
build=${BUILD_DIR:-build/release}
photo=${BENCH_DATA:-../shared/bench-data}/photo-6000x4000.jpg
[ -f "$photo" ] || { echo "missing $photo"; exit 1; }

need=()
command -v vips >/dev/null || need+=(libvips-tools)
command -v convert >/dev/null || need+=(imagemagick)
if ((${#need[@]})); then
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${need[@]}"
fi
cmake --build "$build" --target drape >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/config" "$work/runtime"
chmod 700 "$work/runtime"

source bench/measure.sh

drape=$(measure env -u DISPLAY TMPDIR="$work" XDG_CONFIG_HOME="$work/config" \
    XDG_RUNTIME_DIR="$work/runtime" HOME="$work" DRAPE_MONITORS=3840x2160@0,0 \
    "$build/src/drape" load "$photo" fade text "A|B" keep)
vips=$(measure env VIPS_CONCURRENCY=1 vips resize "$photo" "$work/vips.bmp" 0.64 --vscale 0.54)
magick=$(measure convert -limit thread 1 "$photo" -resize '3840x2160!' "$work/magick.bmp")

echo "whole process, median of $runs runs   seconds   peak RSS (MB)"
for row in "Drape:$drape" "libvips (1 thread):$vips" "ImageMagick (1 thread):$magick"; do
    name=${row%%:*}
    read -r seconds kb <<<"${row#*:}"
    printf '%-36s %7s   %6d\n' "$name" "$seconds" $((kb / 1024))
done

# Large photographs: memory must follow the desktop's size, not the photograph's.
python3 bench/make_big_images.py "$work"
echo
echo "onto 1920x1080, median of $runs runs     seconds   peak RSS (MB)   shown"
for big in big-1bit.png big-rle8.bmp big-rgb.png; do
    read -r seconds kb <<<"$(measure env -u DISPLAY TMPDIR="$work" XDG_CONFIG_HOME="$work/config" \
        XDG_RUNTIME_DIR="$work/runtime" HOME="$work" DRAPE_MONITORS=1920x1080@0,0 \
        "$build/src/drape" load "$work/$big" keep)"
    shown=$(python3 bench/make_big_images.py check "$work/drape.bmp")
    rm -f "$work/drape.bmp"
    printf '%-36s %7s   %6d          %s\n' "Drape $big" "$seconds" $((kb / 1024)) "$shown"
done
