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

# The Windows cross build and its suite under Wine.
cmake --preset ci-windows
cmake --build --preset ci-windows -j "$jobs"
ctest --preset ci-windows

cmake --preset ci-asan
cmake --build --preset ci-asan -j "$jobs"
ctest --preset ci-asan -j "$jobs"

# The fuzz targets, built with clang, each briefly on its seed corpus.
tools/run-fuzz.sh --smoke
