#!/usr/bin/env bash
# Fails when the program links libpng code: drape98 reads no PNG files.
#   check-no-png.sh NM PROGRAM
set -euo pipefail
nm_tool=$1
program=$2
if "$nm_tool" "$program" | grep -E ' [TtU] _?png_' >/dev/null; then
    echo "$program links libpng:" >&2
    "$nm_tool" "$program" | grep -E ' [TtU] _?png_' | head -5 >&2
    exit 1
fi
echo "$program links no libpng code"
