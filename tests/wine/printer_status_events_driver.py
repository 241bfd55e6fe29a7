#!/usr/bin/env python3
"""Plays the printer for printer_status_events_test.cpp on a pseudo-terminal mapped to COM5.

usage: printer_status_events_driver.py EMULATOR TEST_PROGRAM KVXSO_DLL

Registers KVXSO.dll, writes the printer's device entry (with tracing on), runs the program in a
folder of its own and answers it like a printer: one status byte for each status request, and
once the enabling has switched automatic status back on, a report of the cover opening and then
one of it closing. Exits non-zero when the program fails or the printer side saw anything wrong.
"""
import os
import re
import select
import shutil
import subprocess
import sys
import tempfile
import threading
import time
import tty

DEVICE_KEY = r"HKLM\SOFTWARE\OLEforRetail\ServiceOPOS\POSPrinter\KVXSO"
CLASS_KEY = r"HKLM\SOFTWARE\OLEforRetail\ServiceOPOS\POSPrinter"
PROGRAM_LIMIT_S = 240

DLE, GS = 0x10, 0x1D
# The bits tools/printer_simulator/printer_protocol.cpp uses.
REAL_TIME_BASE = 0x12  # bits 1 and 4 of every status answer
ASB_BASE = 0x10  # bit 4 of a report's first byte
OFF_LINE = 0x08
COVER_BIT_IN_ANSWER = 0x04  # status request 2
COVER_BIT_IN_REPORT = 0x20
COVER_OPEN_AFTER_S = 0.3
COVER_CLOSED_AFTER_S = 0.5

EVENT_LINE = re.compile(r"status event (\d+) at (\d+)")


def wine(*args):
    result = subprocess.run(["wine", *args], capture_output=True, text=True, errors="replace")
    if result.returncode != 0:
        sys.exit(f"wine {' '.join(args)} failed: {result.stderr[-2000:]}")


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class Printer(threading.Thread):
    """The printer's side of the line: answers requests and sends the two cover reports."""

    def __init__(self, master):
        super().__init__(name="printer")
        self.master = master
        self.stop_read, self.stop_write = os.pipe()
        self.pending = bytearray()
        self.cover_open = False
        self.requests_answered = 0
        self.status_back_on = 0
        self.reports = []  # (cover open, wall clock ms when written)
        self.problems = []
        self.due = []  # (monotonic time, cover open) still to send

    def stop(self):
        os.write(self.stop_write, b"x")
        self.join()
        os.close(self.stop_read)
        os.close(self.stop_write)

    def problem(self, text):
        print(f"printer: PROBLEM: {text}", flush=True)
        self.problems.append(text)

    def answer(self, n):
        value = REAL_TIME_BASE
        if n == 1 and self.cover_open:
            value |= OFF_LINE
        if n == 2 and self.cover_open:
            value |= COVER_BIT_IN_ANSWER
        os.write(self.master, bytes([value]))
        self.requests_answered += 1

    def report(self, cover_open):
        self.cover_open = cover_open
        first = ASB_BASE | (COVER_BIT_IN_REPORT | OFF_LINE if cover_open else 0)
        os.write(self.master, bytes([first, 0x00, 0x00, 0x00]))
        self.reports.append((cover_open, time.time() * 1000))

    def status_back(self, n):
        if n == 0:
            return
        self.status_back_on += 1
        # The first time comes with opening, before any status request; the enabling follows
        # its status requests with it, and only then is a status thread there to read reports.
        if self.requests_answered > 0 and not self.due and not self.reports:
            now = time.monotonic()
            self.due = [(now + COVER_OPEN_AFTER_S, True),
                        (now + COVER_OPEN_AFTER_S + COVER_CLOSED_AFTER_S, False)]

    def take_commands(self):
        while self.pending:
            first = self.pending[0]
            if first not in (DLE, GS):
                del self.pending[0]
                continue
            if len(self.pending) < 3:
                return
            command = bytes(self.pending[:3])
            del self.pending[:3]
            if command[:2] == bytes([DLE, 0x04]) and 1 <= command[2] <= 4:
                self.answer(command[2])
            elif command[:2] == bytes([GS, 0x61]):
                self.status_back(command[2])
            elif command[:2] != bytes([GS, 0x21]):
                self.problem(f"unexpected command {command.hex(' ')}")

    def run(self):
        while True:
            timeout = None
            if self.due:
                timeout = max(0.0, self.due[0][0] - time.monotonic())
            ready, _, _ = select.select([self.master, self.stop_read], [], [], timeout)
            if self.stop_read in ready:
                return
            if self.due and time.monotonic() >= self.due[0][0]:
                self.report(self.due.pop(0)[1])
            if self.master in ready:
                try:
                    self.pending += os.read(self.master, 4096)
                except OSError as error:  # the slave stays open here, so this is not EIO
                    self.problem(f"reading the line failed: {error}")
                    return
                self.take_commands()


def write_device_entry():
    for name, kind, data in [
            ("", "REG_SZ", "OPOS.KVXSO"), ("DeviceType", "REG_SZ", "COM"),
            ("PaperWidth", "REG_SZ", ' 3" / 80mm'), ("DeviceID", "REG_DWORD", "0"),
            ("Option", "REG_DWORD", "16"), ("Baud", "REG_SZ", "19200"),
            ("COMPORT", "REG_SZ", "COM5"), ("Parity", "REG_SZ", "0"),
            ("DataLength", "REG_SZ", "8"), ("StopBit", "REG_SZ", "0"),
            ("FlowControl", "REG_DWORD", "0")]:
        target = ["/ve"] if name == "" else ["/v", name]
        wine("reg", "add", DEVICE_KEY, *target, "/t", kind, "/d", data, "/f")
    wine("reg", "add", CLASS_KEY, "/v", "ReceiptPrinter", "/t", "REG_SZ", "/d", "KVXSO", "/f")


def run_program(emulator, program, folder):
    """Runs the program, passing its output on; returns its exit code and event arrivals."""
    arrivals = []  # (status, wall clock ms)
    child = subprocess.Popen([emulator, os.path.abspath(program)], cwd=folder,
                             stdout=subprocess.PIPE, text=True, errors="replace")
    timer = threading.Timer(PROGRAM_LIMIT_S, child.kill)
    timer.start()
    try:
        for line in child.stdout:
            print(line, end="", flush=True)
            match = EVENT_LINE.search(line)
            if match:
                arrivals.append((int(match.group(1)), int(match.group(2))))
        code = child.wait()
    finally:
        timer.cancel()
        timer.join()
    return code, arrivals


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
    folder = tempfile.mkdtemp(prefix="kvxso_status_events_")

    printer = Printer(master)
    printer.start()
    try:
        wine("regsvr32", "/s", windows_path(dll))
        write_device_entry()
        code, arrivals = run_program(emulator, program, folder)
    finally:
        printer.stop()
        os.remove(link)
        os.close(master)
        os.close(slave)
        shutil.rmtree(folder, ignore_errors=True)
        subprocess.run(["wine", "regsvr32", "/u", "/s", windows_path(dll)], capture_output=True)
        subprocess.run(["wine", "reg", "delete", CLASS_KEY, "/f"], capture_output=True)

    print(f"printer: answered {printer.requests_answered} status requests, saw status back "
          f"switched on {printer.status_back_on} times, sent {len(printer.reports)} reports")
    if len(printer.reports) != 2:
        printer.problem("the cover reports were never sent: no enabling reached the printer")
    for (cover_open, sent), (status, arrived) in zip(printer.reports, arrivals):
        what = "cover open" if cover_open else "cover closed"
        print(f"printer: report '{what}' became event {status} after {arrived - sent:.0f} ms")
    if code != 0:
        print(f"FAILED: the test program exited with {code}")
    if printer.problems:
        print(f"FAILED: {len(printer.problems)} problems on the printer side")
    if code != 0 or printer.problems:
        return 1
    print("status events arrived for both cover reports; no status thread was left behind")
    return 0


if __name__ == "__main__":
    sys.exit(main())
