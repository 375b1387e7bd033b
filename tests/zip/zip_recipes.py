"""The recipes of make_archives.py: each is a shell command run in the folder it
fills, or a function given that folder."""
import os
import shutil
import struct
import subprocess
import sys
import time
import zipfile
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), 'methods'))

import method_recipes  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
HOSTILE = "python3 '" + os.path.join(HERE, 'hostile_zip.py') + "'"


def pattern(size, seed=1):
    """Compressible pseudo-random bytes, as the tests' Pattern() makes them."""
    x = (seed * 2654435761 + 1) & 0xFFFFFFFF
    alphabet = b'abcdefgh ijklmnop\n'
    out = bytearray(size)
    for i in range(size):
        x = (x * 1103515245 + 12345) & 0xFFFFFFFF
        out[i] = alphabet[(x >> 16) % 18]
    return bytes(out)


def write(path, data):
    os.makedirs(os.path.dirname(path) or '.', exist_ok=True)
    with open(path, 'wb') as f:
        f.write(data)


def sh(command, folder):
    subprocess.run(command, shell=True, cwd=folder, check=True, stdout=subprocess.DEVNULL)


def encrypted(folder):
    # The encryption header checks one byte, so one wrong password in 256 passes
    # it and fails later, at the CRC. The tools salt each archive anew: a few
    # attempts of each, and the test takes one that refuses its wrong passwords.
    write(os.path.join(folder, 'secret.txt'), pattern(5000, 7))
    for attempt in range(4):
        sh('zip -q -0 -P right infozip-%d.zip secret.txt && '
           '7z a -tzip -mm=Copy -mem=ZipCrypto -pright sevenzip-%d.zip secret.txt'
           % (attempt, attempt), folder)


def bzip2_lzma(folder):
    write(os.path.join(folder, 'data.bin'), pattern(300000, 3))
    for name, method in (('py_bz2.zip', zipfile.ZIP_BZIP2), ('py_lzma.zip', zipfile.ZIP_LZMA)):
        with zipfile.ZipFile(os.path.join(folder, name), 'w', method) as z:
            z.write(os.path.join(folder, 'data.bin'), 'data.bin')
            z.writestr('empty', b'')
    sh('7z a -tzip -mm=BZip2 7z_bz2.zip data.bin && 7z a -tzip -mm=LZMA 7z_lzma.zip data.bin',
       folder)


def damaged_bzip2_lzma(folder):
    write(os.path.join(folder, 'data.bin'), pattern(50000, 4))
    for name, method in (('b.zip', zipfile.ZIP_BZIP2), ('l.zip', zipfile.ZIP_LZMA)):
        path = os.path.join(folder, name)
        with zipfile.ZipFile(path, 'w', method) as z:
            z.write(os.path.join(folder, 'data.bin'), 'data.bin')
        b = bytearray(open(path, 'rb').read())
        b[80] ^= 0x55
        b[120] ^= 0x55
        write(path, b)


def lzma_dictionary(folder):
    # patch(name, dictionary, size): the item's properties claim that dictionary,
    # and with a size the directory claims that uncompressed size.
    write(os.path.join(folder, 'data.bin'), pattern(300000, 5))

    def patch(name, dictionary, size=None):
        path = os.path.join(folder, name)
        with zipfile.ZipFile(path, 'w', zipfile.ZIP_LZMA) as z:
            z.write(os.path.join(folder, 'data.bin'), 'data.bin')
        b = bytearray(open(path, 'rb').read())
        at = 30 + struct.unpack_from('<H', b, 26)[0] + struct.unpack_from('<H', b, 28)[0] + 4
        struct.pack_into('<I', b, at + 1, dictionary)
        if size is not None:
            struct.pack_into('<I', b, b.find(b'PK\x01\x02') + 24, size)
        write(path, b)
    patch('claims4g.zip', 0xFFFFFFFF)
    patch('tiny.zip', 16)
    patch('needs1g.zip', 1 << 30, 600 << 20)


def wavpack(folder):
    import math
    import wave
    w = wave.open(os.path.join(folder, 'tone.wav'), 'wb')
    w.setnchannels(2)
    w.setsampwidth(2)
    w.setframerate(22050)
    w.writeframes(b''.join(struct.pack('<hh', int(9000 * math.sin(i / 7.0)),
                                       int(5000 * math.sin(i / 3.0))) for i in range(40000)))
    w.close()
    sh('wavpack -q -y tone.wav -o tone.wv', folder)


def data_descriptors(folder):
    # Each folder holds dd.zip with d.txt, written to a pipe.
    python = ('python3 -c "import zipfile, sys\n'
              "z = zipfile.ZipFile(sys.stdout.buffer, 'w', zipfile.%s)\n"
              "z.writestr('d.txt', b'descriptor ' * 500); z.close()\" | cat > dd.zip")
    for sub, command in (
            ('zipfile-stored', python % 'ZIP_STORED'),
            ('zipfile-deflated', python % 'ZIP_DEFLATED'),
            ('zipfile-bzip2', python % 'ZIP_BZIP2'),
            ('infozip-pipe', "python3 -c \"print('descriptor ' * 500, end='')\" > d.txt && "
                             'zip -q - d.txt | cat > dd.zip')):
        os.makedirs(os.path.join(folder, sub))
        sh(command, os.path.join(folder, sub))


def many_items(folder):
    # Real tools' archives of many adjacent items (data descriptors and Zip64
    # extras included), and the hostile writer's own well-formed one.
    for i in range(40):
        write(os.path.join(folder, 'f%d.txt' % i), pattern(1000 + 37 * i, i + 1))
    sh('zip -q infozip.zip f*.txt && zip -q - f*.txt | cat > infozip-pipe.zip && '
       '7z a -tzip -bd 7z.zip f*.txt && python3 -c "import zipfile, glob, sys\n'
       "z = zipfile.ZipFile(sys.stdout.buffer, 'w', zipfile.ZIP_DEFLATED)\n"
       "[z.write(f) for f in sorted(glob.glob('f*.txt'))]; z.close()\" | cat > zipfile-pipe.zip",
       folder)
    for kind in ('shared-data', 'nested', 'into-directory', 'good'):
        sh(HOSTILE + ' %s %s.zip' % (kind, kind), folder)


def bytes_in_front(folder):
    write(os.path.join(folder, 'a.txt'), b'alpha')
    write(os.path.join(folder, 'b.txt'), pattern(20000))
    # zipfile writes Zip64 end records once an offset passes its limit; the end
    # record then points at them with 0xFFFFFFFF, as for a 4 GiB archive.
    sh('zip -q plain.zip a.txt b.txt', folder)
    limit = zipfile.ZIP64_LIMIT
    zipfile.ZIP64_LIMIT = 100
    try:
        with zipfile.ZipFile(os.path.join(folder, 'z64.zip'), 'w', zipfile.ZIP_DEFLATED) as z:
            z.write(os.path.join(folder, 'a.txt'), 'a.txt')
            z.write(os.path.join(folder, 'b.txt'), 'b.txt')
    finally:
        zipfile.ZIP64_LIMIT = limit
    z64 = bytearray(open(os.path.join(folder, 'z64.zip'), 'rb').read())
    z64[len(z64) - 22 + 16:len(z64) - 2] = b'\xFF' * 4
    write(os.path.join(folder, 'forced.zip'), z64)
    sh("printf '#!/bin/sh\\necho self-extractor\\nexit 0\\n' > stub && "
       'head -c 1048576 /dev/zero > padding && '
       'cat stub plain.zip > stub-relative.zip && cat padding plain.zip > padding-relative.zip && '
       'cat stub plain.zip > stub-adjusted.zip && zip -q -A stub-adjusted.zip && '
       'cat stub forced.zip > stub-zip64.zip', folder)


def tool_tree(folder):
    """A source tree with text, binary, empty, read-only, executable and nested
    files, and the archives that Info-ZIP zip, 7z and zipfile make of it."""
    src = os.path.join(folder, 'src')
    os.makedirs(os.path.join(src, 'sub', 'deeper'))
    os.makedirs(os.path.join(src, 'emptydir'))
    write(os.path.join(src, 'text.txt'), pattern(150000, 1))
    write(os.path.join(src, 'sub', 'binary.bin'),
          bytes(((i * 7919) >> 3) & 0xFF for i in range(70000)))
    write(os.path.join(src, 'sub', 'deeper', 'small.txt'), b'small\n')
    write(os.path.join(src, 'empty.txt'), b'')
    write(os.path.join(src, 'run.sh'), b'#!/bin/sh\necho hi\n')
    write(os.path.join(src, 'ro.txt'), b'read only\n')
    os.chmod(os.path.join(src, 'run.sh'), 0o755)
    os.chmod(os.path.join(src, 'text.txt'), 0o644)
    os.chmod(os.path.join(src, 'ro.txt'), 0o444)
    # Every file of the tree dated 2021-03-04 05:06:08 local time (even seconds,
    # as MS-DOS times hold them).
    stamp = time.mktime((2021, 3, 4, 5, 6, 8, 0, 0, -1))
    for root, _, files in os.walk(src):
        for name in files:
            os.utime(os.path.join(root, name), (stamp, stamp))
    for name, options in (('stored.zip', '-0'), ('fast.zip', '-1'), ('normal.zip', '-6'),
                          ('best.zip', '-9'), ('crypt.zip', '-6 -P s3cret'),
                          ('zip64.zip', '-6 -fz')):
        sh('zip -q -r %s ../%s .' % (options, name), src)
    for name, options in (('7z-deflate64.zip', '-mm=Deflate64'),
                          ('7z-crypt.zip', '-mm=Deflate -mem=ZipCrypto -ppw'),
                          ('7z-deflate64-crypt.zip', '-mm=Deflate64 -mem=ZipCrypto -ppw')):
        sh('7z a -tzip %s ../%s .' % (options, name), src)
    # A symbolic link stored as one, and a comment of 1000 bytes.
    os.symlink('text.txt', os.path.join(src, 'link'))
    sh('zip -q -r -y ../comment-link.zip .', src)
    os.remove(os.path.join(src, 'link'))
    with zipfile.ZipFile(os.path.join(folder, 'comment-link.zip'), 'a') as z:
        z.comment = b'k' * 1000
    sh('python3 -c "import zipfile, sys\n'
       "z = zipfile.ZipFile(sys.stdout.buffer, 'w', zipfile.ZIP_DEFLATED)\n"
       "z.writestr('p\\u0159\\u00edli\\u0161/\\u017elu\\u0165ou\\u010dk\\u00fd.txt', "
       "b'kun ' * 3000)\n"
       "z.writestr('plain.txt', b'plain')\n"
       'z.close()" | cat > utf8-names.zip', folder)
    write(os.path.join(folder, 'hundred.bin'), pattern(100000, 9))
    sh('zip -q -9 hundred.zip hundred.bin', folder)
    # 1 GiB of zeros deflated.
    c = zlib.compressobj(9, zlib.DEFLATED, -15)
    zeros = bytes(1 << 20)
    write(os.path.join(folder, 'bomb.raw'),
          b''.join(c.compress(zeros) for _ in range(1024)) + c.flush())


def peers_by_7z(folder):
    # What 7z extracts of every archive of the corpus (NAME.failed where 7z
    # fails), as the files' contents only: each file of NAME is written as
    # NAME/1, NAME/2 ..., so that names that another system cannot hold do not
    # matter. A symbolic link becomes a file holding its target, as the tests
    # count it.
    corpus = os.path.join(HERE, '..', 'fixtures', 'zip-peers')
    scratch = os.path.join(folder, 'scratch')
    for name in sorted(os.listdir(corpus)):
        if not name.endswith('.zip'):
            continue
        done = subprocess.run(['7z', 'x', '-y', '-o' + scratch, os.path.join(corpus, name)],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        out = os.path.join(folder, name)
        if done.returncode != 0:
            write(out + '.failed', b'%d' % done.returncode)
        else:
            os.makedirs(out)
            count = 0
            for root, dirs, files in os.walk(scratch):
                for entry in dirs + files:
                    path = os.path.join(root, entry)
                    if os.path.islink(path):
                        content = os.fsencode(os.readlink(path))
                    elif os.path.isfile(path):
                        content = open(path, 'rb').read()
                    else:
                        continue
                    count += 1
                    write(os.path.join(out, str(count)), content)
        shutil.rmtree(scratch, ignore_errors=True)


def deflate64_set(folder):
    """Files that reach Deflate64's corners, in in/, and set.zip of them by 7z."""
    import random
    rng = random.Random(21)
    src = os.path.join(folder, 'in')
    os.makedirs(src)
    # Text with repeats far apart: distances beyond 32 KiB.
    block = bytearray()
    while len(block) < 50000:
        block += ('word%d%s' % (rng.randrange(5000), ' ' if rng.randrange(9) else '\n')).encode()
    write(os.path.join(src, 'text.txt'), bytes(block) * 6)
    noise = bytes(rng.randrange(256) for _ in range(70000))
    write(os.path.join(src, 'noise.bin'), noise)
    # A random block repeated: matches 60000 back and longer than 258 bytes.
    write(os.path.join(src, 'repeated.bin'), noise[:60000] * 5)
    write(os.path.join(src, 'zeros.bin'), bytes(500000))
    write(os.path.join(src, 'small.txt'), b'hello')
    # Machine code: the start of this interpreter's program file.
    write(os.path.join(src, 'program.bin'), open(os.path.realpath(sys.executable), 'rb').read()[:400000])
    sh('7z a -tzip -mm=Deflate64 -mx=9 ../set.zip .', src)


def many_65535(folder):
    with zipfile.ZipFile(os.path.join(folder, 'many.zip'), 'w') as z:
        for i in range(65535):
            z.writestr('%d' % i, b'')


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
    # Traditional encryption (stored) by Info-ZIP zip and 7z.
    'encrypted': encrypted,
    # bzip2 and LZMA items of zipfile and 7z.
    'bzip2-lzma': bzip2_lzma,
    'damaged-bzip2-lzma': damaged_bzip2_lzma,
    'lzma-dictionary': lzma_dictionary,
    # A WavPack file of the wavpack tool, with its source.
    'wavpack': wavpack,
    'data-descriptors': data_descriptors,
    'tar': "printf 'tar me' > f.txt && tar cf t.tar f.txt",
    'many-items': many_items,
    # Exactly 65 535 entries, as zipfile writes them (no Zip64 record).
    'many-65535': many_65535,
    'bytes-in-front': bytes_in_front,
    'tool-tree': tool_tree,
    'peers-by-7z': peers_by_7z,
    'deflate64-set': deflate64_set,
    # A central entry whose local header names another item.
    'name-mismatch': HOSTILE + ' name-mismatch m.zip',
}
RECIPES.update(method_recipes.RECIPES)
