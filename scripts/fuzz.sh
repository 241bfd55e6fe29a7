#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer in build/fuzz and runs each for a bounded
# time, starting from its committed corpus. Exits non-zero when any target finds a crash.
#   FUZZ_SECONDS  time per target (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-60}
build=build/fuzz
targets=(escape_parser_fuzz bitmap_decoder_fuzz reg_text_fuzz receipt_renderer_fuzz)
declare -A corpus=([escape_parser_fuzz]=tests/fuzz/corpus/escape_parser
                  [bitmap_decoder_fuzz]=tests/fuzz/corpus/bitmap_decoder
                  [receipt_renderer_fuzz]=tests/fuzz/corpus/receipt_renderer)

CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPOS_FUZZ=ON \
  -DPOS_SANITIZE=OFF -DPOS_BUILD_TESTS=ON
cmake --build "$build" -j2 --target "${targets[@]}"

status=0
for target in "${targets[@]}"; do
  # New inputs go to a scratch folder; the committed corpus is only read.
  work="$build/corpus/$target"
  artifacts="$build/artifacts/$target/"
  mkdir -p "$work" "$artifacts"
  seeds=()
  if [[ -n "${corpus[$target]:-}" ]]; then seeds=("${corpus[$target]}"); fi
  echo "== $target for ${seconds}s"
  if ! "$build/tests/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="$artifacts" -print_final_stats=1 "$work" "${seeds[@]}"; then
    echo "== $target FAILED; reproducer in $artifacts" >&2
    status=1
  fi
done
exit $status
