#!/usr/bin/env python3
"""Registers KVXSO.dll with regsvr32 in the test prefix, checks the registry layout from
outside with `wine reg query`, runs the COM test program while the server is registered, then
unregisters it and checks the keys are gone. Usage: driver EMULATOR TEST_PROGRAM KVXSO_DLL"""
import os
import subprocess
import sys

CLSID = "{7A41C2D0-5E93-4B18-9F26-31D8E0B7A4C5}"
LIBID = "{5C8E17B2-A0F4-4E6D-8B31-6F2A9D04C7E8}"


def wine(*args, check=True):
    result = subprocess.run(["wine", *args], capture_output=True, text=True, errors="replace")
    if check and result.returncode != 0:
        sys.exit(f"wine {' '.join(args)} failed ({result.returncode}): {result.stderr[-2000:]}")
    return result


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def values(key):
    """The values of one key as {name: (type, data)}, or None when the key is missing."""
    result = wine("reg", "query", key, check=False)
    if result.returncode != 0:
        return None
    found = {}
    for line in result.stdout.splitlines():
        parts = line.strip().split(None, 2) if line.startswith("    ") else []
        if len(parts) >= 2 and parts[1].startswith("REG_"):
            found[parts[0]] = (parts[1], parts[2] if len(parts) > 2 else "")
    return found


failures = []


def expect(condition, what):
    print(("ok      " if condition else "FAILED  ") + what)
    if not condition:
        failures.append(what)


def main():
    emulator, program, dll = sys.argv[1:4]
    dll_windows = windows_path(dll)
    wine("regsvr32", "/s", dll_windows)

    default = "(Default)"
    layout = {
        r"HKCR\OPOS.KVXSO.1": {default: "OPOS Library for POS Printer"},
        r"HKCR\OPOS.KVXSO.1\CLSID": {default: CLSID},
        r"HKCR\OPOS.KVXSO": {default: "OPOS Library for POS Printer"},
        r"HKCR\OPOS.KVXSO\CLSID": {default: CLSID},
        r"HKCR\OPOS.KVXSO\CurVer": {default: "OPOS.KVXSO.1"},
        rf"HKCR\CLSID\{CLSID}": {default: "OPOS Library for POS Printer"},
        rf"HKCR\CLSID\{CLSID}\ProgID": {default: "OPOS.KVXSO.1"},
        rf"HKCR\CLSID\{CLSID}\VersionIndependentProgID": {default: "OPOS.KVXSO"},
        rf"HKCR\CLSID\{CLSID}\Programmable": {},
        rf"HKCR\CLSID\{CLSID}\InprocServer32": {"ThreadingModel": "Apartment"},
        rf"HKCR\CLSID\{CLSID}\TypeLib": {default: LIBID},
        rf"HKCR\TypeLib\{LIBID}\1.0": {},
    }
    for key, expected in layout.items():
        found = values(key)
        expect(found is not None, f"{key} exists after registration")
        for name, data in expected.items():
            got = (found or {}).get(name, ("", None))[1]
            expect(got == data, f"{key} [{name}] = {data!r} (got {got!r})")
    server = (values(rf"HKCR\CLSID\{CLSID}\InprocServer32") or {}).get(default, ("", ""))[1]
    expect(server.lower().endswith("kvxso.dll"), f"InprocServer32 names the library ({server!r})")

    run = subprocess.run([emulator, program], text=True, errors="replace")
    expect(run.returncode == 0, "the COM test program passes while registered")

    wine("regsvr32", "/u", "/s", dll_windows)
    for key in (r"HKCR\OPOS.KVXSO.1", r"HKCR\OPOS.KVXSO", rf"HKCR\CLSID\{CLSID}", rf"HKCR\TypeLib\{LIBID}\1.0"):
        expect(values(key) is None, f"{key} is gone after unregistration")
    expect(values(r"HKCR\CLSID") is not None, r"HKCR\CLSID stays")

    print(f"{len(failures)} failed" if failures else "all registration checks passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
