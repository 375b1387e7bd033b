#!/usr/bin/env python3
"""Makes the archives of the zip tests with the tools that write them.

    make_archives.py NAME FOLDER    the archives of one recipe, written into FOLDER
    make_archives.py --all FOLDER   every recipe, each into FOLDER/NAME

The Linux tests run one recipe from inside the test; the Windows tests cannot run
these tools, so their build writes every recipe beforehand and the tests copy the
recipe's folder. Both therefore read the same archives. A recipe writes the files
it packs beside its archives, so a test compares with exactly what was packed.
"""
import os
import shutil
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import zip_recipes  # noqa: E402


def make(name, folder):
    os.makedirs(folder, exist_ok=True)
    recipe = zip_recipes.RECIPES[name]
    if callable(recipe):
        recipe(folder)
    else:
        subprocess.run(recipe, shell=True, cwd=folder, check=True)


def main():
    names = zip_recipes.RECIPES
    if len(sys.argv) != 3 or (sys.argv[1] != '--all' and sys.argv[1] not in names):
        sys.exit(__doc__)
    if sys.argv[1] == '--all':
        for name in names:
            print('archives:', name, flush=True)
            folder = os.path.join(sys.argv[2], name)
            shutil.rmtree(folder, ignore_errors=True)
            make(name, folder)
    else:
        make(sys.argv[1], sys.argv[2])


if __name__ == '__main__':
    main()
