#!/usr/bin/env python3
"""Makes the archives of the zip tests with the tools that write them.

    make_archives.py NAME FOLDER    the archives of one recipe, written into FOLDER
    make_archives.py --all FOLDER   every recipe, each into FOLDER/NAME

The Linux tests run one recipe from inside the test; the Windows tests cannot run
these tools, so their build writes every recipe beforehand and the tests copy the
recipe's folder. Both therefore read the same archives.
"""
import os
import shutil
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
HOSTILE = "python3 '" + os.path.join(HERE, 'hostile_zip.py') + "'"

# Each recipe is a shell command run in the folder it fills.
RECIPES = {
    # 40 000 central entries over one local item.
    'arunzip-bomb': HOSTILE + ' shared-data bomb.zip',
    # Names the file system refuses: a file where a folder is needed, a name too long.
    'arunzip-refusals': (
        'python3 -c "import zipfile\n'
        "z = zipfile.ZipFile('c.zip', 'w')\n"
        "z.writestr('a', b'file'); z.writestr('a/b.txt', b'under a file')\n"
        "z.writestr('n' * 300, b'long'); z.writestr('ok.txt', b'fine'); z.close()\""),
    # Date 0, data descriptors from a pipe, a stub in front of the archive.
    'arunzip-good': (
        'python3 -c "import zipfile, sys\n'
        "z = zipfile.ZipFile('date0.zip', 'w')\n"
        "z.writestr(zipfile.ZipInfo('d.txt', (1980, 0, 0, 0, 0, 0)), b'dated')\n"
        "z.close()\" && printf 'descriptor' > dd.txt && "
        'zip -q - dd.txt | cat > dd.zip && zip -q plain.zip dd.txt && '
        "printf '#!/bin/sh\\nexit 0\\n' | cat - plain.zip > sfx.bin"),
}


def make(name, folder):
    os.makedirs(folder, exist_ok=True)
    subprocess.run(RECIPES[name], shell=True, cwd=folder, check=True)


def main():
    if len(sys.argv) != 3 or (sys.argv[1] != '--all' and sys.argv[1] not in RECIPES):
        sys.exit(__doc__)
    if sys.argv[1] == '--all':
        for name in RECIPES:
            print('archives:', name, flush=True)
            folder = os.path.join(sys.argv[2], name)
            shutil.rmtree(folder, ignore_errors=True)
            make(name, folder)
    else:
        make(sys.argv[1], sys.argv[2])


if __name__ == '__main__':
    main()
