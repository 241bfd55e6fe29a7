#!/usr/bin/env bash
# The main job: a simulated receipt printer on a pseudo-terminal, the printer service object
# registered in a private device store, and an application session through the control object.
set -euo pipefail
cd "$(dirname "$0")/.."
POS_NATIVE_ONLY=1 bash scripts/install-deps.sh

cmake --preset release >/dev/null
cmake --build --preset release -j"$(nproc)" --target KVXSO pos-regsvr pos-reg pos-console pos-printer-sim >/dev/null
bin=$PWD/build/release

work=$(mktemp -d)
sim_pid=""
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
export OPOS_REGISTRY=$work/registry.db

echo "== Starting the printer simulator"
"$bin/tools/pos-printer-sim" --quiet --capture "$work/received.bin" --control "$work/printer.sock" \
  >"$work/sim.out" 2>&1 &
sim_pid=$!
for _ in $(seq 50); do grep -q '^pty ' "$work/sim.out" 2>/dev/null && break; sleep 0.1; done
port=$(sed -n 's/^pty //p' "$work/sim.out")
echo "   printer on $port"

echo "== Registering the printer service object"
"$bin/tools/pos-regsvr" "$bin/printer_so/KVXSO.so"

echo "== Writing the device entry"
"$bin/tools/pos-reg" import - <<REG
Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\\SOFTWARE\\OLEforRetail\\ServiceOPOS\\POSPrinter]
"ReceiptPrinter"="KVXSO"

[HKEY_LOCAL_MACHINE\\SOFTWARE\\OLEforRetail\\ServiceOPOS\\POSPrinter\\KVXSO]
@="OPOS.KVXSO"
"DeviceType"="COM"
"PaperWidth"=" 3\\" / 80mm"
"DeviceID"=dword:00000000
"Option"=dword:00000010
"Baud"="19200"
"COMPORT"="$port"
"Parity"="0"
"DataLength"="8"
"StopBit"="0"
"FlowControl"=dword:00000000
REG

echo "== Application session through the POSPrinter control object"
(cd "$work" && "$bin/tools/pos-console" ReceiptPrinter <<'SESSION'
ClaimDevice 1000
DeviceEnabled 1
GetPropertyNumber 8
GetPropertyNumber 8016
MarkFeed 1
DeviceEnabled 0
ReleaseDevice
SESSION
)

echo "== Bytes the printer received"
od -An -tx1 "$work/received.bin"
echo "== Service object trace (OPOSDebug.txt)"
cat "$work/OPOSDebug.txt"
