#!/usr/bin/env bash
# Installs the Debian packages that building and testing Drape need (run as root).
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config clang-format
    libx11-dev libxrandr-dev libxss-dev
    libjpeg62-turbo-dev libpng-dev zlib1g-dev
    libfreetype-dev libfontconfig-dev fonts-liberation
    libgtest-dev libgmock-dev libbenchmark-dev
    imagemagick python3-pil libjpeg-turbo-progs
    libfltk1.3-dev xvfb x11-xserver-utils x11-utils xdotool xclip
    g++-mingw-w64-x86-64 libz-mingw-w64-dev nasm dpkg-dev googletest wine64 wine
    clang-14 libclang-rt-14-dev
)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done
if ((${#missing[@]})); then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update
    apt-get install -y --no-install-recommends "${missing[@]}"
fi

# The Windows build compiles libjpeg-turbo and libpng from Debian's source packages.
"$(dirname "$0")/add-debian-sources.sh"
