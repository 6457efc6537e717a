#!/usr/bin/env bash
# Times Drape's JPEG decoding of the benchmark photograph against libjpeg-turbo's own djpeg on
# the same file (one thread each, djpeg's output thrown away) and prints both medians. The
# target is Drape within 1.2x of djpeg; the script exits 1 when it is slower than that.
#
#   bench/compare_decode.sh [BUILD_FOLDER]     (default build/release, with drape_bench built)
#
# djpeg comes with Debian's libjpeg-turbo-progs. DRAPE_BENCH_DATA names another folder for the
# photograph than ../shared/bench-data.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build/release}
photo=${DRAPE_BENCH_DATA:-../shared/bench-data}/photo-6000x4000.jpg
runs=7
target=1.2

if [[ ! -f $photo ]]; then
    echo "skipped: the benchmark photograph $photo is missing"
    exit 0
fi
if ! command -v djpeg >/dev/null; then
    echo "djpeg is missing (Debian package libjpeg-turbo-progs)" >&2
    exit 2
fi
if [[ ! -x $build/bench/drape_bench ]]; then
    echo "build drape_bench first: cmake --build $build --target drape_bench" >&2
    exit 2
fi

# djpeg: wall time of whole runs, process start included; the median of $runs.
djpeg "$photo" >/dev/null  # warm the page cache
samples=()
for ((i = 0; i < runs; i++)); do
    start=$(date +%s%N)
    djpeg -outfile /dev/null "$photo"
    end=$(date +%s%N)
    samples+=($(((end - start) / 1000)))
done
djpeg_ms=$(printf '%s\n' "${samples[@]}" | sort -n |
    awk '{ t[NR] = $1 } END { printf "%.1f", t[int((NR + 1) / 2)] / 1000 }')

# Drape: decodeImage from memory, the median of $runs repetitions.
drape_ms=$("$build/bench/drape_bench" --benchmark_filter='^BM_DecodeJpegPhoto' \
    --benchmark_repetitions=$runs --benchmark_report_aggregates_only=true \
    --benchmark_format=json 2>/dev/null | python3 -c '
import json, sys
scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}
for run in json.load(sys.stdin)["benchmarks"]:
    if run.get("aggregate_name") == "median":
        print("%.1f" % (run["real_time"] * scale[run["time_unit"]]))
        break
')
if [[ -z $drape_ms ]]; then
    echo "drape_bench gave no figure (is the photograph readable?)" >&2
    exit 2
fi

ratio=$(awk -v d="$drape_ms" -v j="$djpeg_ms" 'BEGIN { printf "%.2f", d / j }')
echo "photograph:         $photo"
echo "djpeg ($(djpeg -version 2>&1 | head -n 1)): $djpeg_ms ms"
echo "Drape decodeImage:  $drape_ms ms (${ratio}x djpeg, target ${target}x)"
awk -v r="$ratio" -v t="$target" 'BEGIN { exit !(r <= t) }'
