#!/usr/bin/env python3
"""Checks a demo installation set: the four files of the set, Setup.exe the given
program with its execute bit, every item sound by Info-ZIP's own test.

    check_demo_set.py SET.zip SETUP_PROGRAM
"""
import subprocess
import sys
import zipfile


def main():
    path, program = sys.argv[1], sys.argv[2]
    with zipfile.ZipFile(path) as archive:
        names = sorted(archive.namelist())
        expected = sorted(["Setup.exe", "Setup-1.bin", "Aktual.txt", "Ctimne.txt"])
        if names != expected:
            sys.exit("items %r, expected %r" % (names, expected))
        setup = archive.getinfo("Setup.exe")
        mode = (setup.external_attr >> 16) & 0o777
        if mode & 0o111 == 0:
            sys.exit("Setup.exe has no execute bit (mode %o)" % mode)
        with open(program, "rb") as f:
            if archive.read("Setup.exe") != f.read():
                sys.exit("Setup.exe is not the demo setup program")
        if archive.getinfo("Setup-1.bin").file_size == 0:
            sys.exit("Setup-1.bin is empty")
    subprocess.run(["unzip", "-tq", path], check=True, stdout=subprocess.DEVNULL)
    print("demo set sound: %s" % ", ".join(names))


if __name__ == "__main__":
    main()
