#!/usr/bin/env bash
# Every test: the native build with sanitizers, then the 32-bit Windows build under Wine, a
# compile of the 64-bit Windows build, and a bounded fuzz run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

jobs=$(nproc)
total=0
# Runs one ctest preset and adds its count of tests to the total (set -e stops on a failure).
run_ctest() {
  local log
  log=$(mktemp)
  ctest --preset "$1" "${@:2}" | tee "$log"
  total=$((total + $(sed -n 's/.*tests failed out of \([0-9]*\).*/\1/p' "$log" | tail -1)))
  rm -f "$log"
}

cmake --preset dev
cmake --build --preset dev -j"$jobs"
run_ctest dev -j"$jobs"

cmake --preset win32
cmake --build --preset win32 -j"$jobs"
run_ctest win32 -j"$jobs"

cmake --preset win64
cmake --build --preset win64 -j"$jobs"

# A bounded fuzz run of every fuzz target (clang, libFuzzer, ASan+UBSan).
FUZZ_SECONDS=${FUZZ_SECONDS:-30} bash scripts/fuzz.sh

echo "tests: $total passed, 0 failed"
