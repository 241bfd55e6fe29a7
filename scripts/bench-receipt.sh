#!/usr/bin/env bash
# How fast a typical receipt becomes printer bytes: the printer service object on in-memory
# fakes (bench/receipt_encoding.cpp) beside the npm package escpos-buffer on Node building the
# same receipt (bench/escpos_buffer/receipt.js). A measurement for people: it prints a table
# and fails only when a side cannot run. BENCH_SECONDS sets each side's time (default 3).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${BENCH_SECONDS:-3}
case "$seconds" in
  '' | *[!0-9]* | 0) echo "BENCH_SECONDS wants a whole number of seconds from 1" >&2; exit 2 ;;
esac
# Each side gets its time plus room to start, warm up and estimate its iterations.
limit=$((seconds * 4 + 60))

POS_NATIVE_ONLY=1 bash scripts/install-deps.sh
if ! which node npm >/dev/null; then
  echo "Installing: nodejs npm"
  sudo=""
  [ "$(id -u)" = 0 ] || sudo=sudo
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends nodejs npm
fi

echo "== Building bench_receipt_encoding (release)"
cmake --preset release >/dev/null
cmake --build --preset release -j2 --target bench_receipt_encoding >/dev/null
echo "== Installing escpos-buffer (npm ci)"
(cd bench/escpos_buffer && timeout 300 npm ci --no-audit --no-fund --loglevel=error >/dev/null)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Other programs on the machine slow the clock more than the CPU time: worth knowing when
# reading the wall column.
echo "== Load average before: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
echo "== Printer service, ${seconds} s"
timeout "$limit" build/release/bench/bench_receipt_encoding \
  --benchmark_min_time="$seconds" --benchmark_out="$work/ours.json" --benchmark_out_format=json \
  >/dev/null 2>"$work/ours.err" || { cat "$work/ours.err" >&2; exit 1; }
echo "== escpos-buffer, ${seconds} s with the logo converted in every receipt, ${seconds} s with it converted once"
timeout "$limit" node bench/escpos_buffer/receipt.js --seconds="$seconds" >"$work/theirs.json"
timeout "$limit" node bench/escpos_buffer/receipt.js --seconds="$seconds" --logo=once \
  >"$work/theirs_once.json"

WORK="$work" node - <<'JS'
const fs = require('fs');
const read = (name) => JSON.parse(fs.readFileSync(`${process.env.WORK}/${name}`, 'utf8'));
const run = read('ours.json').benchmarks.find((b) => b.run_type === 'iteration');
if (!run || run.error_occurred) throw new Error(`the C++ benchmark failed: ${run && run.error_message}`);
const ours = {
  receipts: run.receipts_per_second,
  bytes: run.bytes_per_second,
  size: run.bytes_per_receipt,
  wall: { ns: 1e9, us: 1e6, ms: 1e3, s: 1 }[run.time_unit] / run.real_time,
};
const side = (json) => ({
  receipts: json.receipts_per_second,
  bytes: json.bytes_per_second,
  size: json.bytes_per_receipt,
  wall: json.wall_receipts_per_second,
});
const theirs = read('theirs.json');
const rows = [
  ['printer service (C++)', ours],
  [`escpos-buffer ${theirs.version} (Node ${theirs.node})`, side(theirs)],
  ['escpos-buffer, logo converted once', side(read('theirs_once.json'))],
];

const number = (v) => v.toLocaleString('en-US', { maximumFractionDigits: 0 });
const line = (cells) => cells.map((c, i) => (i === 0 ? c.padEnd(36) : c.padStart(i === 5 ? 17 : 14))).join('');
console.log('');
console.log('Receipts per second of process CPU time (ratio: the printer service over each row)');
console.log(line(['', 'receipts/s', 'bytes/s', 'bytes/receipt', 'ratio', 'wall receipts/s']));
for (const [name, r] of rows) {
  const ratio = r === ours ? '1.0' : `${(ours.receipts / r.receipts).toFixed(1)}x`;
  console.log(line([name, number(r.receipts), number(r.bytes), String(r.size), ratio, number(r.wall)]));
}
console.log('');
console.log('bytes/s ratio, printer service over escpos-buffer: ' +
            `${(ours.bytes / side(theirs).bytes).toFixed(1)}x`);
JS
