#!/usr/bin/env bash
# Drape's scaling and effects side by side with libvips, Pillow, ImageMagick and a memcpy, all
# on one thread:
#   - Mitchell-Netravali resize of a 6000x4000 RGBA picture to 3840x2160 (Pillow: BICUBIC),
#   - the 24-bit stretch of a 6000x4000 RGB picture to 3840x2160 (Pillow: BOX, ImageMagick: Box,
#     libvips: linear),
#   - the whole-canvas effects on 3840x2160 and 11520x2160 canvases against a memcpy.
#
# Only the resampling is timed, never file decoding: Drape and Pillow time the resize call in
# process; vips and convert run on their own uncompressed formats (.v, .mpc) and the time of a
# run that only reads the input and writes an output of the same size (vips copy of a
# 3840x2160 image; convert -sample) is subtracted. Each figure is the median of RUNS runs.
#
# Usage: bench/compare_scaling.sh   (env: BUILD_DIR, BENCH_DATA, RUNS)
# Installs libvips-tools, python3-pil and imagemagick with apt-get when missing (as root).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${BUILD_DIR:-$root/build/release}
data=${BENCH_DATA:-$root/../shared/bench-data}
runs=${RUNS:-5}
python=/usr/bin/python3  # Debian's, where python3-pil installs
convert=/usr/bin/convert # the real ImageMagick, whatever else is first on PATH

missing=()
command -v vips >/dev/null 2>&1 || missing+=(libvips-tools)
"$python" -c 'import PIL' >/dev/null 2>&1 || missing+=(python3-pil)
"$convert" -version 2>/dev/null | grep -q ImageMagick || missing+=(imagemagick)
if ((${#missing[@]})); then
    if [[ $(id -u) != 0 ]]; then
        echo "missing packages: ${missing[*]} (run as root to install them)" >&2
        exit 1
    fi
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
fi

if [[ ! -f $data/photo-6000x4000.jpg ]]; then
    echo "no benchmark picture at $data/photo-6000x4000.jpg (set BENCH_DATA)" >&2
    exit 1
fi

cmake --build "$build" -j2 --target drape_bench >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export VIPS_CONCURRENCY=1

# The inputs, decoded once: the JPEG as RGB, and RGBA with alpha falling from 255 at the left
# edge to 0 at the right, as in the RGBA sample picture.
vips copy "$data/photo-6000x4000.jpg" "$work/rgb.v"
vips xyz "$work/xy.v" 6000 4000
vips extract_band "$work/xy.v" "$work/x.v" 0
vips linear "$work/x.v" "$work/rising.v" 0.04250708 0 --uchar
vips invert "$work/rising.v" "$work/alpha.v"
vips bandjoin "$work/rgb.v $work/alpha.v" "$work/rgba.v"
vips rawsave "$work/rgb.v" "$work/rgb.raw"
vips rawsave "$work/rgba.v" "$work/rgba.raw"
vips black "$work/black4.v" 3840 2160 --bands 4
vips cast "$work/black4.v" "$work/out-size-rgba.v" uchar
vips black "$work/black3.v" 3840 2160 --bands 3
vips cast "$work/black3.v" "$work/out-size-rgb.v" uchar
"$convert" -size 6000x4000 -depth 8 "rgb:$work/rgb.raw" "$work/rgb.mpc"
"$convert" -size 6000x4000 -depth 8 "rgba:$work/rgba.raw" "$work/rgba.mpc"
rm -f "$work/xy.v" "$work/x.v" "$work/rising.v" "$work/black3.v" "$work/black4.v"

"$build/bench/drape_bench" \
    --benchmark_filter='BM_Memcpy/(3840|11520)|BM_Scale(Mitchell|Halftone)/6000|BM_Effect' \
    --benchmark_repetitions="$runs" --benchmark_report_aggregates_only=true \
    --benchmark_format=json --benchmark_out="$work/drape.json" >/dev/null 2>&1

WORK=$work RUNS=$runs CONVERT=$convert "$python" - <<'EOF'
import json, os, statistics, subprocess, time
from PIL import Image

work, runs, convert = os.environ["WORK"], int(os.environ["RUNS"]), os.environ["CONVERT"]

def median_ms(action):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        action()
        times.append(time.perf_counter() - start)
    return statistics.median(times) * 1000

def command_ms(*args):
    return median_ms(lambda: subprocess.run(args, check=True, capture_output=True))

# Drape: medians of the benchmark's repetitions.
drape = {}
for b in json.load(open(f"{work}/drape.json"))["benchmarks"]:
    if b.get("aggregate_name") == "median":
        drape[b["run_name"].replace("/real_time", "")] = b["real_time"]

# libvips: resize into a .v file, less copying an output-sized .v file.
def vips_ms(source, out_size, kernel):
    resize = command_ms("vips", "resize", f"{work}/{source}", f"{work}/out.v", "0.64",
                        "--vscale", "0.54", "--kernel", kernel)
    base = command_ms("vips", "copy", f"{work}/{out_size}", f"{work}/out.v")
    return resize - base

# Pillow: the resize call alone.
def pillow_ms(mode, raw, flt):
    image = Image.frombytes(mode, (6000, 4000), open(f"{work}/{raw}", "rb").read())
    return median_ms(lambda: image.resize((3840, 2160), flt))

# ImageMagick: a filtered resize less a nearest-neighbour sample to the same size.
def magick_ms(source, flt):
    limits = ["-limit", "thread", "1"]
    resize = command_ms(convert, *limits, f"{work}/{source}", "-filter", flt, "-resize",
                        "3840x2160!", "null:")
    base = command_ms(convert, *limits, f"{work}/{source}", "-sample", "3840x2160!", "null:")
    return resize - base

rows = [
    ("Mitchell RGBA 6000x4000 -> 3840x2160", drape["BM_ScaleMitchell/6000/4000/3840/2160"],
     vips_ms("rgba.v", "out-size-rgba.v", "mitchell"), "mitchell",
     pillow_ms("RGBA", "rgba.raw", Image.BICUBIC), "BICUBIC",
     magick_ms("rgba.mpc", "Mitchell"), "Mitchell"),
    ("stretch RGB 6000x4000 -> 3840x2160", drape["BM_ScaleHalftone/6000/4000/3840/2160"],
     vips_ms("rgb.v", "out-size-rgb.v", "linear"), "linear",
     pillow_ms("RGB", "rgb.raw", Image.BOX), "BOX",
     magick_ms("rgb.mpc", "Box"), "Box"),
]
print(f"Scaling, milliseconds (median of {runs}), one thread")
print(f"| {'case':38} | {'Drape':>7} | {'libvips':>16} | {'Pillow':>16} | {'ImageMagick':>16} |")
print(f"|{'-' * 40}|{'-' * 8}:|{'-' * 17}:|{'-' * 17}:|{'-' * 17}:|")
for name, ours, vips, vk, pil, pk, im, ik in rows:
    print(f"| {name:38} | {ours:7.1f} | {vips:7.1f} {vk:>8} | {pil:7.1f} {pk:>8} | "
          f"{im:7.1f} {ik:>8} |")

print()
print("Effects, milliseconds (median), against a memcpy of the canvas")
print(f"| {'effect':8} | {'canvas':10} | {'Drape':>7} | {'memcpy':>7} | {'passes':>6} | "
      f"{'Drape / (passes x memcpy)':>25} |")
print(f"|{'-' * 10}|{'-' * 12}|{'-' * 8}:|{'-' * 8}:|{'-' * 7}:|{'-' * 26}:|")
for effect, passes in (("Drain", 1), ("Darken", 1), ("Invert", 1), ("Fade", 1), ("Blur", 5)):
    for canvas in ("3840/2160", "11520/2160"):
        ours = drape[f"BM_Effect{effect}/{canvas}"]
        copy = drape[f"BM_Memcpy/{canvas}"]
        print(f"| {effect:8} | {canvas.replace('/', 'x'):10} | {ours:7.2f} | {copy:7.2f} | "
              f"{passes:6} | {ours / (passes * copy):25.2f} |")
EOF
