#!/usr/bin/env python3
"""Runs the serial port test program with a pseudo-terminal as its serial line.

usage: serial_pty_driver.py EMULATOR PROGRAM [PROGRAM ARGS...]

COM5 of the Wine prefix becomes one pseudo-terminal; this script is its far end and answers
the requests described in serial_port_test.cpp. COM10 becomes a second one, so that only the
name rule can keep COM10 from opening. Exits non-zero when the program fails or the far end saw
anything wrong.
"""
import os
import select
import subprocess
import sys
import threading
import time
import tty

PORT = "COM5"
PROGRAM_LIMIT_S = 240
BULK_LIMIT_S = 30


def pattern_byte(offset):
    """Byte `offset` of the bulk stream; serial_port_test.cpp uses the same formula."""
    return ((offset * 2654435761) & 0xFFFFFFFF) >> 24


def describe_run(seen, at):
    """Where in the stream the bytes received at `at` were meant to go."""
    window = bytes(seen[at:at + 32])
    expected = bytes(pattern_byte(k) for k in range(len(seen) + 65536))
    source = expected.find(window)
    if source < 0:
        return "they are not from the stream"
    return f"they belong at {source}, {source - at:+d} bytes away"


class FarEnd(threading.Thread):
    def __init__(self, master):
        super().__init__(name="far end")
        self.master = master
        self.problems = []
        self.pending = bytearray()
        self.stop_read, self.stop_write = os.pipe()

    def stop(self):
        os.write(self.stop_write, b"x")
        self.join()
        os.close(self.stop_read)
        os.close(self.stop_write)

    def problem(self, text):
        print(f"far end: PROBLEM: {text}", flush=True)
        self.problems.append(text)

    def receive(self, deadline=None, at_most=65536):
        """Appends what the line delivers next to self.pending; False on stop or timeout."""
        timeout = None if deadline is None else max(0.0, deadline - time.monotonic())
        ready, _, _ = select.select([self.master, self.stop_read], [], [], timeout)
        if self.stop_read in ready or not ready:
            return False
        try:
            data = os.read(self.master, at_most)
        except OSError:  # EIO while nothing holds the other side
            return False
        self.pending += data
        return bool(data)

    def run(self):
        while True:
            while b"\n" not in self.pending:
                if not self.receive():
                    return
            line, _, rest = bytes(self.pending).partition(b"\n")
            self.pending = bytearray(rest)
            self.answer(line.decode("ascii", "replace").split())

    def answer(self, words):
        if words[:1] == ["BULK"] and len(words) == 3:
            time.sleep(int(words[2]) / 1000)
            self.take_bulk(int(words[1]))
        elif words[:1] == ["SEND"] and len(words) == 3:
            time.sleep(int(words[1]) / 1000)
            os.write(self.master, bytes.fromhex(words[2]))
        elif words[:1] == ["NOTE"]:
            pass
        else:
            self.problem(f"unexpected request {' '.join(words)!r}")

    def take_bulk(self, total):
        started = time.monotonic()
        deadline = started + BULK_LIMIT_S
        offset = 0
        first_wrong = None
        seen = bytearray()  # kept for the report when the order breaks
        while offset < total:
            # Small bites, like a slow printer: the line drains while writes are still queued
            # behind each other, which is where their order could break.
            if not self.pending:
                time.sleep(0.001)
                if not self.receive(deadline, at_most=512):
                    break
            take = min(total - offset, len(self.pending))
            seen += self.pending[:take]
            if first_wrong is None:
                for i in range(take):
                    if self.pending[i] != pattern_byte(offset + i):
                        first_wrong = (offset + i, self.pending[i])
                        break
            del self.pending[:take]
            offset += take
        if offset < total:
            self.problem(f"bulk: {offset} of {total} bytes arrived within {BULK_LIMIT_S} s")
            os.write(self.master, f"BULK SHORT {offset}\n".encode())
        elif first_wrong is not None:
            at, value = first_wrong
            self.problem(f"bulk: byte {at} is {value:#04x}, expected {pattern_byte(at):#04x}; "
                         f"{describe_run(seen, at)}")
            os.write(self.master, f"BULK BAD {at}\n".encode())
        else:
            print(f"far end: {total} bulk bytes arrived complete and in order "
                  f"({time.monotonic() - started:.2f} s after the pause)", flush=True)
            os.write(self.master, f"BULK OK {total}\n".encode())


def open_line():
    master, slave = os.openpty()
    tty.setraw(master)
    tty.setraw(slave)
    return master, slave


def main():
    emulator, program, *args = sys.argv[1:]
    dosdevices = os.path.join(os.environ["WINEPREFIX"], "dosdevices")
    lines = {"com5": open_line(), "com10": open_line()}
    links = []
    for name, (_, slave) in lines.items():
        link = os.path.join(dosdevices, name)
        if os.path.lexists(link):
            os.remove(link)
        os.symlink(os.ttyname(slave), link)
        links.append(link)
        print(f"{name.upper()} -> {os.ttyname(slave)}", flush=True)

    # The slave ends stay open here too, so the lines keep their state (and any bytes in
    # flight) while the program closes and reopens its port.
    far_end = FarEnd(lines["com5"][0])
    far_end.start()
    try:
        result = subprocess.run([emulator, program, *args], env=dict(os.environ, POS_TEST_COM=PORT),
                                timeout=PROGRAM_LIMIT_S)
        status = result.returncode
    except subprocess.TimeoutExpired:
        print(f"the test program did not finish within {PROGRAM_LIMIT_S} s", flush=True)
        status = 1
    finally:
        far_end.stop()
        for link in links:
            os.remove(link)
        for master, slave in lines.values():
            os.close(master)
            os.close(slave)

    if far_end.problems:
        print(f"far end saw {len(far_end.problems)} problem(s)")
        return 1
    if status != 0:
        print(f"test program exited with {status}")
        return 1
    print("serial port checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
