#!/usr/bin/env python3
"""Checks the registry store from outside with Wine's reg tool, both ways.

usage: registry_outside_driver.py EMULATOR PROGRAM

PROGRAM is registry_outside_probe.exe. It writes keys that `reg query` and `reg export` must
show; `reg add` and `reg import` write keys that it must read; it deletes the tree, which
`reg query` must then miss. Exits non-zero at the first difference.
"""
import os
import subprocess
import sys
import tempfile

HIVES = ("HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE")
BASE = r"Software\PosDevicesTest"


class Check:
    def __init__(self):
        self.failures = []

    def expect(self, condition, message):
        print(("ok:   " if condition else "FAIL: ") + message, flush=True)
        if not condition:
            self.failures.append(message)


def wine(*args, check=True):
    result = subprocess.run(["wine", *args], capture_output=True, timeout=120)
    out = result.stdout.decode("cp437", "replace").replace("\r\n", "\n")
    if check and result.returncode != 0:
        print(out, result.stderr.decode("utf-8", "replace"), sep="\n")
        raise SystemExit(f"wine {' '.join(args)} failed with {result.returncode}")
    return result.returncode, out


def run_case(emulator, program, case):
    print(f"--- {program} {case}", flush=True)
    result = subprocess.run([emulator, program, f"--gtest_filter=Outside.{case}"], timeout=120)
    if result.returncode != 0:
        raise SystemExit(f"Outside.{case} failed")


def query(key):
    """Values of one key as reg query prints them: name -> (type, data)."""
    _, out = wine("reg", "query", key)
    values = {}
    for line in out.split("\n"):
        if not line.startswith("    "):
            continue
        parts = line.strip().split("    ")
        name, kind = parts[0], parts[1]
        values[name] = (kind, parts[2] if len(parts) > 2 else "")
    return values


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def main():
    emulator, program = sys.argv[1:3]
    check = Check()

    run_case(emulator, program, "Write")
    for hive in HIVES:
        key = rf"{hive}\{BASE}\Outside"
        values = query(key)
        check.expect(values.get("Model") == ("REG_SZ", "Receipt 80"), f"{key} Model is REG_SZ 'Receipt 80': {values.get('Model')}")
        check.expect(values.get("Baud") == ("REG_DWORD", "0x4b00"), f"{key} Baud is REG_DWORD 0x4b00: {values.get('Baud')}")
        check.expect(values.get("Path") == ("REG_EXPAND_SZ", r"%SystemRoot%\pos"), f"{key} Path is REG_EXPAND_SZ: {values.get('Path')}")
        check.expect(values.get("(Default)", ("",))[0] == "REG_SZ", f"{key} has a REG_SZ default value")
        check.expect(wine("reg", "query", key + r"\Child", check=False)[0] == 0, f"{key}\\Child exists")
        with tempfile.TemporaryDirectory() as scratch:
            exported = os.path.join(scratch, "outside.reg")
            wine("reg", "export", key, windows_path(exported), "/y")
            with open(exported, "rb") as f:
                text = f.read().decode("utf-16")
        check.expect('@="Device \u03a9"' in text.splitlines(), f"{key} default value is 'Device \u03a9' in UTF-16")

    for hive in HIVES:
        key = rf"{hive}\{BASE}\FromReg"
        wine("reg", "add", key, "/ve", "/d", "dflt", "/f")
        wine("reg", "add", key, "/v", "Port", "/t", "REG_SZ", "/d", "COM7", "/f")
        wine("reg", "add", key, "/v", "Timeout", "/t", "REG_DWORD", "/d", "1500", "/f")
        wine("reg", "add", key, "/v", "Home", "/t", "REG_EXPAND_SZ", "/d", r"%USERPROFILE%\pos", "/f")
        with tempfile.TemporaryDirectory() as scratch:
            imported = os.path.join(scratch, "note.reg")
            with open(imported, "wb") as f:
                body = f'Windows Registry Editor Version 5.00\r\n\r\n[{key}]\r\n"Note"="\u03a9 Gr\u00f6\u00dfe"\r\n'
                f.write(b"\xff\xfe" + body.encode("utf-16-le"))
            wine("reg", "import", windows_path(imported))
    run_case(emulator, program, "Verify")

    run_case(emulator, program, "Delete")
    for hive in HIVES:
        key = rf"{hive}\{BASE}"
        check.expect(wine("reg", "query", key, check=False)[0] != 0, f"{key} is gone")

    if check.failures:
        print(f"{len(check.failures)} check(s) failed")
        return 1
    print("the reg tool and the store agree")
    return 0


if __name__ == "__main__":
    sys.exit(main())
