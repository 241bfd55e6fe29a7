#!/usr/bin/env bash
# Every test: the native build with sanitizers, then the 32-bit Windows build under Wine, and a
# compile of the 64-bit Windows build.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

jobs=$(nproc)
cmake --preset dev
cmake --build --preset dev -j"$jobs"
ctest --preset dev -j"$jobs"

cmake --preset win32
cmake --build --preset win32 -j"$jobs"
ctest --preset win32

cmake --preset win64
cmake --build --preset win64 -j"$jobs"

# A bounded fuzz run of every fuzz target (clang, libFuzzer, ASan+UBSan).
FUZZ_SECONDS=${FUZZ_SECONDS:-30} bash scripts/fuzz.sh
