#!/usr/bin/env bash
# Builds drape and installs a sample wallpaper, then says where it went.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target drape

./build/release/src/drape red dots big '~ip~' text "DEMO | ~host~" fade keep

hive="${XDG_CONFIG_HOME:-$HOME/.config}/drape/registry.reg"
# The bitmap's folder depends on TMPDIR and the user; `keep` recorded where it went.
bitmap=$(sed -n 's/^"Wallpaper"="\(.*\)"$/\1/p' "$hive" | tail -n 1)
echo "Wallpaper bitmap: $bitmap ($(stat -c %s "$bitmap") bytes)"
echo "Recorded as the desktop wallpaper in: $hive"
