#!/usr/bin/env bash
# Builds drape and installs a sample wallpaper, then says where it went.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target drape

./build/release/src/drape red dots big '~ip~' text "DEMO | ~host~" fade keep

temp=$(realpath "${TMPDIR:-/tmp}")
hive="${XDG_CONFIG_HOME:-$HOME/.config}/drape/registry.reg"
echo "Wallpaper bitmap: $temp/drape.bmp ($(stat -c %s "$temp/drape.bmp") bytes)"
echo "Recorded as the desktop wallpaper in: $hive"
