#!/usr/bin/env python3
"""Maps a pseudo-terminal to COM5 in the test prefix, registers KVXSO.dll, writes a printer
device entry, runs the test program and checks the bytes the printer end received.
Usage: driver EMULATOR TEST_PROGRAM KVXSO_DLL"""
import os
import subprocess
import sys
import threading
import tty

# Open: character size, status back on. Enable: the four status requests, status back on.
# Disable: status back off.
EXPECTED = bytes.fromhex("1d 21 00 1d 61 0f" "10 04 01 10 04 02 10 04 03 10 04 04 1d 61 0f" "1d 61 00")
DEVICE_KEY = r"HKLM\SOFTWARE\OLEforRetail\ServiceOPOS\POSPrinter\KVXSO"
CLASS_KEY = r"HKLM\SOFTWARE\OLEforRetail\ServiceOPOS\POSPrinter"


def wine(*args):
    result = subprocess.run(["wine", *args], capture_output=True, text=True, errors="replace")
    if result.returncode != 0:
        sys.exit(f"wine {' '.join(args)} failed: {result.stderr[-2000:]}")


def main():
    emulator, program, dll = sys.argv[1:4]
    prefix = os.environ["WINEPREFIX"]
    master, slave = os.openpty()
    tty.setraw(master)
    tty.setraw(slave)
    link = os.path.join(prefix, "dosdevices", "com5")
    if os.path.lexists(link):
        os.remove(link)
    os.symlink(os.ttyname(slave), link)

    received = bytearray()
    done = threading.Event()

    def reader():
        while not done.is_set():
            import select
            ready, _, _ = select.select([master], [], [], 0.2)
            if ready:
                try:
                    received.extend(os.read(master, 4096))
                except OSError:
                    return

    thread = threading.Thread(target=reader)
    thread.start()
    try:
        wine("regsvr32", "/s", "Z:" + os.path.abspath(dll).replace("/", "\\"))
        for name, kind, data in [
            ("", "REG_SZ", "OPOS.KVXSO"), ("DeviceType", "REG_SZ", "COM"),
            ("PaperWidth", "REG_SZ", ' 3" / 80mm'), ("DeviceID", "REG_DWORD", "0"),
            ("Option", "REG_DWORD", "0"), ("Baud", "REG_SZ", "9600"), ("COMPORT", "REG_SZ", "COM5"),
            ("Parity", "REG_SZ", "0"), ("DataLength", "REG_SZ", "8"), ("StopBit", "REG_SZ", "0"),
            ("FlowControl", "REG_DWORD", "0")]:
            target = ["/ve"] if name == "" else ["/v", name]
            wine("reg", "add", DEVICE_KEY, *target, "/t", kind, "/d", data, "/f")
        wine("reg", "add", CLASS_KEY, "/v", "ReceiptPrinter", "/t", "REG_SZ", "/d", "KVXSO", "/f")
        run = subprocess.run([emulator, program])
    finally:
        done.set()
        thread.join()
        os.remove(link)
        subprocess.run(["wine", "regsvr32", "/u", "/s", "Z:" + os.path.abspath(dll).replace("/", "\\")],
                       capture_output=True)
        subprocess.run(["wine", "reg", "delete", CLASS_KEY, "/f"], capture_output=True)

    ok = bytes(received) == EXPECTED
    print(f"printer end received {bytes(received).hex(' ')}; expected {EXPECTED.hex(' ')}")
    if run.returncode != 0 or not ok:
        return 1
    print("the printer on COM5 received the start, enable and disable commands")
    return 0


if __name__ == "__main__":
    sys.exit(main())
