#!/usr/bin/env bash
# The main job: a simulated receipt printer on a pseudo-terminal, the printer service object
# registered in a private device store, and an application session through the control object
# that prints a whole receipt (tests/data/receipt_script.txt), shown as text afterwards.
set -euo pipefail
cd "$(dirname "$0")/.."
POS_NATIVE_ONLY=1 bash scripts/install-deps.sh

cmake --preset release >/dev/null
cmake --build --preset release -j"$(nproc)" --target KVXSO PIXEO_API pos-regsvr pos-reg pos-console \
  pos-printer-sim pos-receipt-view >/dev/null
bin=$PWD/build/release
data=$PWD/tests/data  # the receipt: its calls, its picture, its expected bytes

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

# The receipt's picture, from its annotated hexadecimal form.
printf "$(sed 's/#.*//' "$data/receipt_logo.hex" | tr -d ' \n' | sed 's/../\\x&/g')" \
  >"$work/receipt_logo.bmp"

echo "== Application session through the POSPrinter control object, printing a receipt"
echo "   ClaimDevice waits for the printer's CTS line, which a pseudo-terminal does not have, so it"
echo "   answers 112 OPOS_E_TIMEOUT; printing does not depend on the claim."
(cd "$work" && {
  printf '%s\n' "ClaimDevice 1000" "DeviceEnabled 1" "GetPropertyNumber 8" "GetPropertyNumber 8016" \
    "MarkFeed 1"
  cat "$data/receipt_script.txt"
  printf '%s\n' "DeviceEnabled 0" "ReleaseDevice"
} | "$bin/tools/pos-console" ReceiptPrinter)

# Each status answer comes after the simulator has read what waited on its side of the line:
# once the count stops growing, the capture is complete.
echo "== The simulated printer's state"
python3 - "$work/printer.sock" <<'STATUS'
import socket, sys
with socket.socket(socket.AF_UNIX) as s:
    s.connect(sys.argv[1])
    channel = s.makefile("rw")
    before = None
    while True:
        channel.write("status\n")
        channel.flush()
        state, _ = channel.readline().strip(), channel.readline()
        count = state.split("received ")[1].split()[0]
        if count == before:
            break
        before = count
print("   " + state)
STATUS

echo "== The receipt as the printer prints it (pos-receipt-view)"
echo "   [notes] are commands that print nothing, or labels; S P A C E D letters are double wide;"
echo "   ^^tall^^, **bold**, __underlined__ and [[reversed]] text is marked so."
"$bin/tools/pos-receipt-view" "$work/received.bin"
echo "== Bytes the printer received"
od -An -tx1 "$work/received.bin"
echo "== Service object trace (OPOSDebug.txt)"
cat "$work/OPOSDebug.txt"
