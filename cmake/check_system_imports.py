#!/usr/bin/env python3
"""Fails when a Windows program imports a DLL that it must not.

usage: check_system_imports.py OBJDUMP --shipped PROGRAM... [--tests PROGRAM...]

A program that users run (the --shipped ones) must import known DLLs only: the
loader maps every library of the import table before main runs and looks for
each one that is not a known DLL in the program's folder first, where a download
folder may hold a planted file of that name. Any other system library is
delay-loaded from System32 (src/platform/win32/delay_load.cpp).

The test programs (--tests) must import only libraries that every Windows 10
and 11 installs in System32; anything else (the compiler's runtime, OpenSSL or
another library as a DLL) would be looked for beside the program.
"""
import subprocess
import sys

# The known DLLs: the values under HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\
# Control\Session Manager\KnownDLLs that Windows 10 and 11 (x64) both have, the
# 32-bit emulation's own left out, and ntdll.dll, which the loader maps before
# any other. Windows maps these from its section objects of System32 and never
# searches for them.
KNOWN_DLLS = {
    "advapi32.dll", "clbcatq.dll", "combase.dll", "comdlg32.dll", "coml2.dll",
    "gdi32.dll", "gdiplus.dll", "imagehlp.dll", "imm32.dll", "kernel32.dll",
    "msctf.dll", "msvcrt.dll", "normaliz.dll", "nsi.dll", "ntdll.dll", "ole32.dll",
    "oleaut32.dll", "psapi.dll", "rpcrt4.dll", "sechost.dll", "setupapi.dll",
    "shcore.dll", "shell32.dll", "shlwapi.dll", "user32.dll", "wldap32.dll",
    "ws2_32.dll",
}

# What every Windows 10 and 11 installs in System32 besides.
SYSTEM = KNOWN_DLLS | {
    "bcrypt.dll", "comctl32.dll", "crypt32.dll", "msimg32.dll", "uxtheme.dll",
    "version.dll", "windowscodecs.dll", "winspool.drv",
}


def imports(objdump, program):
    out = subprocess.run([objdump, "-p", program], check=True, capture_output=True,
                         text=True).stdout
    return [line.split("DLL Name:", 1)[1].strip() for line in out.splitlines()
            if "DLL Name:" in line]


def check(objdump, program, allowed, kind):
    """Prints what PROGRAM imports; False when that is nothing or any library outside ALLOWED."""
    names = imports(objdump, program)
    foreign = [n for n in names if n.lower() not in allowed]
    if not names:
        print("%s: no imports found" % program)
        return False
    if foreign:
        print("%s imports %s: %s" % (program, kind, ", ".join(foreign)))
        return False
    print("%s: %s" % (program, ", ".join(names)))
    return True


def main():
    args = sys.argv[1:]
    if len(args) < 3 or args[1] != "--shipped":
        sys.exit(__doc__)
    objdump, rest = args[0], args[2:]
    shipped, tests = rest, []
    if "--tests" in rest:
        at = rest.index("--tests")
        shipped, tests = rest[:at], rest[at + 1:]
    if not shipped:
        sys.exit(__doc__)
    results = [check(objdump, p, KNOWN_DLLS, "libraries that are not known DLLs")
               for p in shipped]
    results += [check(objdump, p, SYSTEM, "non-system libraries") for p in tests]
    sys.exit(0 if all(results) else 1)


if __name__ == "__main__":
    main()
