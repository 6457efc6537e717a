#!/usr/bin/env bash
# Builds everything and runs the whole test suite, plainly and under ASan + UBSan.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh
tools/check-format.sh
jobs=$(nproc)

# The CI presets build into the same folders as release and asan, with warnings as errors.
cmake --preset ci-release
cmake --build --preset ci-release -j "$jobs"
ctest --preset ci-release -j "$jobs"

# The Windows cross build, as far as it goes without the libraries built for Windows.
cmake --preset windows
cmake --build --preset windows -j "$jobs" --target drape_platform_api drape_platform_native

cmake --preset ci-asan
cmake --build --preset ci-asan -j "$jobs"
ctest --preset ci-asan -j "$jobs"
