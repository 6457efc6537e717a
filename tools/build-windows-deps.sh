#!/usr/bin/env bash
# Builds libjpeg-turbo and libpng for x86_64 Windows from Debian's own source packages, as
# static libraries, into the folder given (the Windows build tree keeps them in deps/).
# zlib comes ready-built from libz-mingw-w64-dev. A finished folder is kept: the script only
# builds what is missing, so that the cross build configures in seconds after the first time.
#
#   tools/build-windows-deps.sh build/windows/deps
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/.." && pwd)
prefix=${1:?usage: build-windows-deps.sh <install folder>}
mkdir -p "$prefix"
prefix=$(cd "$prefix" && pwd)
work="$prefix/work"
toolchain="$source_dir/cmake/mingw-w64.cmake"
jobs=$(nproc)

# Where apt-get source finds Debian's sources: a deb-src entry for the mirror this machine
# already uses (added once, as root, when none is configured).
ensure_source_entries() {
    if apt-cache showsrc libpng1.6 2>/dev/null | grep -q '^Package:'; then
        return
    fi
    if [[ $(id -u) -ne 0 ]]; then
        echo "build-windows-deps: apt has no deb-src entries; run tools/install-deps.sh as root" \
            "first (it adds them)" >&2
        exit 1
    fi
    "$source_dir/tools/add-debian-sources.sh"
}

# Unpacks Debian's source package into $work/<package>, with Debian's patches applied.
fetch_source() {
    local package=$1
    if [[ -d "$work/$package" ]]; then
        return
    fi
    local scratch="$work/$package.fetch"
    rm -rf "$scratch"
    mkdir -p "$scratch"
    (cd "$scratch" && apt-get source --only-source "$package" >/dev/null 2>&1)
    local unpacked
    unpacked=$(find "$scratch" -mindepth 1 -maxdepth 1 -type d | head -n 1)
    [[ -n "$unpacked" ]] || {
        echo "build-windows-deps: apt-get source $package unpacked nothing" >&2
        exit 1
    }
    mv "$unpacked" "$work/$package"
    rm -rf "$scratch"
}

# Configures, builds and installs one CMake project for the target.
build_cmake() {
    local name=$1
    shift
    local tree="$work/$name-build"
    rm -rf "$tree"
    cmake -S "$work/$name" -B "$tree" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
        -DCMAKE_FIND_ROOT_PATH="$prefix;/usr/x86_64-w64-mingw32" "$@" >"$tree.log" 2>&1 ||
        { tail -n 40 "$tree.log" >&2; exit 1; }
    cmake --build "$tree" -j "$jobs" >>"$tree.log" 2>&1 || { tail -n 40 "$tree.log" >&2; exit 1; }
    cmake --install "$tree" >>"$tree.log" 2>&1 || { tail -n 40 "$tree.log" >&2; exit 1; }
    rm -rf "$tree"
}

mkdir -p "$work"

if [[ ! -f "$prefix/lib/libjpeg.a" ]]; then
    ensure_source_entries
    fetch_source libjpeg-turbo
    # The SIMD code needs nasm; without it decoding a photograph takes three times as long.
    build_cmake libjpeg-turbo -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF \
        -DREQUIRE_SIMD=ON -DCMAKE_ASM_NASM_COMPILER=nasm
fi

if [[ ! -f "$prefix/lib/libpng.a" ]]; then
    ensure_source_entries
    fetch_source libpng1.6
    build_cmake libpng1.6 -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
        -DZLIB_LIBRARY=/usr/x86_64-w64-mingw32/lib/libz.a \
        -DZLIB_INCLUDE_DIR=/usr/x86_64-w64-mingw32/include
    # libpng installs its static library under a versioned name as well; one is enough.
    if [[ -f "$prefix/lib/libpng16.a" && ! -f "$prefix/lib/libpng.a" ]]; then
        cp "$prefix/lib/libpng16.a" "$prefix/lib/libpng.a"
    fi
fi

rm -rf "$work"
