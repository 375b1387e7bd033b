#!/usr/bin/env python3
"""Fails when a Windows program imports a DLL that is not one of the system's.

usage: check_system_imports.py OBJDUMP PROGRAM...

Each program must import only libraries that every Windows 10 and 11 installs
in System32; anything else (the compiler's runtime, OpenSSL or another library
as a DLL) would be looked for beside the program, where anyone may put a file of
that name.
"""
import subprocess
import sys

SYSTEM = {
    "advapi32.dll", "bcrypt.dll", "comctl32.dll", "comdlg32.dll", "crypt32.dll",
    "gdi32.dll", "kernel32.dll", "msimg32.dll", "msvcrt.dll", "normaliz.dll",
    "ole32.dll", "oleaut32.dll", "shell32.dll", "shlwapi.dll", "user32.dll",
    "uxtheme.dll", "version.dll", "windowscodecs.dll", "winspool.drv", "ws2_32.dll",
}


def imports(objdump, program):
    out = subprocess.run([objdump, "-p", program], check=True, capture_output=True,
                         text=True).stdout
    return [line.split("DLL Name:", 1)[1].strip() for line in out.splitlines()
            if "DLL Name:" in line]


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    objdump, programs = sys.argv[1], sys.argv[2:]
    failed = False
    for program in programs:
        names = imports(objdump, program)
        foreign = [n for n in names if n.lower() not in SYSTEM]
        if not names:
            print("%s: no imports found" % program)
            failed = True
        elif foreign:
            print("%s imports non-system libraries: %s" % (program, ", ".join(foreign)))
            failed = True
        else:
            print("%s: %s" % (program, ", ".join(names)))
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
