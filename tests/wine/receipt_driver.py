#!/usr/bin/env python3
"""Prints the receipt of tests/data on Windows: maps a pseudo-terminal to COM6 in the test
prefix, registers KVXSO.dll, writes a printer device entry, runs the test program and checks
that the printer end received exactly the bytes of receipt_expected.hex after the two opening
commands; then shows those bytes with the Windows build of pos-receipt-view.
Usage: driver EMULATOR TEST_PROGRAM KVXSO_DLL VIEWER DATA_FOLDER"""
import os
import select
import subprocess
import sys
import tempfile
import threading
import tty

OPENING = bytes.fromhex("1d 21 00 1d 61 0f")  # character size, automatic status back on
DEVICE_KEY = r"HKLM\SOFTWARE\OLEforRetail\ServiceOPOS\POSPrinter\KVXSO"
CLASS_KEY = r"HKLM\SOFTWARE\OLEforRetail\ServiceOPOS\POSPrinter"
# Lines the rendering must hold, each whole.
VIEW_LINES = [
    " " * 13 + "^^C O R N E R   S H O P^^",
    "**T O T A L" + " " * 29 + "1 4 . 8 0**",
    "[BARCODE EAN13 590123412345 h=60]",
    "[STORED IMAGE 32x16 dots]",
    "**THANK YOU**",
    "----- cut -----",
]


def read_hex(path):
    """Hex byte pairs; '#' starts a comment running to the end of its line."""
    out = bytearray()
    with open(path) as f:
        for number, line in enumerate(f, 1):
            for word in line.split("#", 1)[0].split():
                if len(word) != 2:
                    sys.exit(f"{path}:{number}: '{word}' is not a byte in hexadecimal")
                out += bytes.fromhex(word)
    return bytes(out)


def wine(*args):
    result = subprocess.run(["wine", *args], capture_output=True, text=True, errors="replace")
    if result.returncode != 0:
        sys.exit(f"wine {' '.join(args)} failed: {result.stderr[-2000:]}")
    return result.stdout


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class PortRecorder:
    """Everything the pseudo-terminal's far end receives, read on a thread until stopped."""

    def __init__(self, master):
        self.master = master
        self.received = bytearray()
        self.stop_read, self.stop_write = os.pipe()
        self.thread = threading.Thread(target=self.run)
        self.thread.start()

    def run(self):
        while True:
            ready, _, _ = select.select([self.master, self.stop_read], [], [])
            if self.master in ready:
                self.received += os.read(self.master, 4096)
            elif self.stop_read in ready:
                return

    def stop(self):
        """Ends the thread once what is waiting on the terminal has been read."""
        os.write(self.stop_write, b"x")
        self.thread.join()
        os.set_blocking(self.master, False)
        try:
            while chunk := os.read(self.master, 4096):
                self.received += chunk
        except BlockingIOError:
            pass
        os.close(self.stop_read)
        os.close(self.stop_write)
        return bytes(self.received)


def first_difference(a, b):
    return next((i for i, (x, y) in enumerate(zip(a, b)) if x != y), min(len(a), len(b)))


def main():
    emulator, program, dll, viewer, data = sys.argv[1:6]
    expected = OPENING + read_hex(os.path.join(data, "receipt_expected.hex"))
    prefix = os.environ["WINEPREFIX"]
    master, slave = os.openpty()
    tty.setraw(master)
    tty.setraw(slave)
    link = os.path.join(prefix, "dosdevices", "com6")
    if os.path.lexists(link):
        os.remove(link)
    os.symlink(os.ttyname(slave), link)

    recorder = PortRecorder(master)
    try:
        wine("regsvr32", "/s", windows_path(dll))
        for name, kind, value in [
            ("", "REG_SZ", "OPOS.KVXSO"), ("DeviceType", "REG_SZ", "COM"),
            ("PaperWidth", "REG_SZ", ' 3" / 80mm'), ("DeviceID", "REG_DWORD", "0"),
            ("Option", "REG_DWORD", "0"), ("Baud", "REG_SZ", "19200"), ("COMPORT", "REG_SZ", "COM6"),
            ("Parity", "REG_SZ", "0"), ("DataLength", "REG_SZ", "8"), ("StopBit", "REG_SZ", "0"),
            ("FlowControl", "REG_DWORD", "0")]:
            target = ["/ve"] if name == "" else ["/v", name]
            wine("reg", "add", DEVICE_KEY, *target, "/t", kind, "/d", value, "/f")
        wine("reg", "add", CLASS_KEY, "/v", "ReceiptPrinter", "/t", "REG_SZ", "/d", "KVXSO", "/f")
        run = subprocess.run([emulator, program])
    finally:
        received = recorder.stop()
        os.remove(link)
        subprocess.run(["wine", "regsvr32", "/u", "/s", windows_path(dll)], capture_output=True)
        subprocess.run(["wine", "reg", "delete", CLASS_KEY, "/f"], capture_output=True)
        os.close(slave)
        os.close(master)

    failed = run.returncode != 0
    if received != expected:
        at = first_difference(received, expected)
        print(f"COM6 received {len(received)} bytes, expected {len(expected)}; first difference at "
              f"{at}:\n  received {received[at:at + 24].hex(' ')}\n  expected {expected[at:at + 24].hex(' ')}")
        failed = True
    else:
        print(f"COM6 received the {len(received)} bytes of the receipt")

    with tempfile.TemporaryDirectory() as folder:
        capture = os.path.join(folder, "received.bin")
        with open(capture, "wb") as f:
            f.write(received)
        view = wine(viewer, windows_path(capture)).replace("\r\n", "\n")
    print(view)
    missing = [line for line in VIEW_LINES if f"\n{line}\n" not in view]
    if missing:
        print("pos-receipt-view.exe did not show:", *missing, sep="\n  ")
        failed = True
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
