#!/usr/bin/env bash
# Installs a build into a scratch prefix and checks that the program and the desktop's
# application-menu entry for the settings window land where a desktop looks for them.
#   tools/check-install.sh BUILD_DIR
set -euo pipefail
build=${1:?usage: check-install.sh BUILD_DIR}
prefix=$(mktemp -d "${TMPDIR:-/tmp}/drape-install.XXXXXX")
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null
fail() {
    echo "check-install: $*" >&2
    exit 1
}
[[ -x "$prefix/bin/drape" ]] || fail "bin/drape missing or not executable"
entry="$prefix/share/applications/drape-settings.desktop"
[[ -f "$entry" ]] || fail "the menu entry is missing"
head -n 1 "$entry" | grep -qx '\[Desktop Entry\]' || fail "the menu entry has no [Desktop Entry] group first"
for line in 'Type=Application' 'Name=Drape' 'Exec=drape gui' 'Icon=drape' 'Terminal=false'; do
    grep -qx "$line" "$entry" || fail "the menu entry lacks '$line'"
done
icon="$prefix/share/icons/hicolor/32x32/apps/drape.png"
[[ -f "$icon" ]] || fail "the menu icon is missing"
# A PNG signature and an IHDR of 32 x 32 pixels.
header=$(od -An -tx1 -N24 "$icon" | tr -d ' \n')
[[ "$header" == 89504e470d0a1a0a0000000d4948445200000020000000* ]] ||
    fail "the menu icon is not a 32 x 32 PNG"
[[ "${header:40:8}" == 00000020 ]] || fail "the menu icon is not 32 pixels high"
echo "check-install: program, menu entry and icon in place"
