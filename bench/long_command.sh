#!/usr/bin/env bash
# Whole-process time of drape and drape98 on long command files: a `drape.cmd` of about 1 MB
# (words on many lines), run beside a copy of each program on an 8 x 8 desktop.
#
#   bench/long_command.sh [build folder, default build/release] [megabytes, default 1]
set -euo pipefail
build=${1:-build/release}
megabytes=${2:-1}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# "silent" first, then fills and unknown words alternating, 16 words to a line.
python3 - "$work/drape.cmd" "$megabytes" <<'PY'
import sys
path, megabytes = sys.argv[1], float(sys.argv[2])
line = " ".join(["red", "xyz", "blue", "\"a b\""] * 4) + "\r\n"
count = int(megabytes * 1024 * 1024 / len(line))
with open(path, "w", newline="") as out:
    out.write("silent\r\n" + line * count)
PY
echo "drape.cmd: $(stat -c %s "$work/drape.cmd") bytes"

for program in drape drape98; do
    cp "$build/src/$program" "$work/$program"
    start=$(date +%s.%N)
    (cd "$work" && env -u DISPLAY HOME="$work" TMPDIR="$work" XDG_CONFIG_HOME="$work/config" \
        XDG_RUNTIME_DIR="$work" DRAPE_MONITORS=8x8@0,0 ./"$program" >/dev/null 2>&1)
    end=$(date +%s.%N)
    printf '%-8s %6.2f s\n' "$program" "$(echo "$end - $start" | bc)"
done
