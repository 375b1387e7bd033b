"""The recipes of the methods' tests (make_archives.py takes them in): the legacy
methods of the project's encoder over inputs that reach their corners, xz and
zstd streams of their own tools, and PPMd items of 7z."""
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ENCODER = os.path.join(HERE, 'legacy_encoders.py')
FIXTURES = os.path.join(HERE, '..', '..', 'fixtures')

LEGACY_METHODS = ('shrink', 'reduce1', 'reduce2', 'reduce3', 'reduce4', 'implode4k2',
                  'implode4k3', 'implode8k2', 'implode8k3')
# Those that Info-ZIP unzip of this machine decodes too.
UNZIP_READS = ('shrink', 'implode4k2', 'implode4k3', 'implode8k2', 'implode8k3')


def write(path, data):
    with open(path, 'wb') as f:
        f.write(data)


def run(command, folder):
    subprocess.run(command, shell=True, cwd=folder, check=True, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)


def long_text():
    """Long text (the shrink table fills and is cleared, codes widen to 13 bits)."""
    text = b''
    folder = '/usr/share/common-licenses'
    for name in sorted(os.listdir(folder)):
        path = os.path.join(folder, name)
        if os.path.isfile(path):
            text += open(path, 'rb').read()
            if len(text) > 120000:
                break
    return text


def runs_and_escapes():
    """Runs longer than any copy, many 0x90 bytes (the reduce escape)."""
    x = 7
    def next_value():
        nonlocal x
        x = (x * 1103515245 + 12345) & 0xFFFFFFFF
        return x >> 8
    data = bytearray()
    for i in range(150):
        byte = 0x90 if i % 3 == 0 else next_value() & 0xFF
        data += bytes([byte]) * (1 + next_value() % 700)
        for _ in range(20):
            data.append(0x90 if next_value() % 4 == 0 else next_value() & 0xFF)
    return bytes(data)


def legacy(folder):
    inputs = {
        'text': long_text(),
        # Machine code: the start of this interpreter's program file.
        'code': open(os.path.realpath(sys.executable), 'rb').read()[:40000],
        'runs': runs_and_escapes(),
        'one': b'x',
    }
    for name, data in inputs.items():
        write(os.path.join(folder, name), data)
        for method in LEGACY_METHODS:
            archive = '%s-%s.zip' % (method, name)
            run("python3 '%s' %s %s %s" % (ENCODER, method, name, archive), folder)
            if method in UNZIP_READS:
                # What an independent decoder makes of the same stream.
                run('unzip -p %s > %s.unzip' % (archive, archive), folder)


def xz_zstd(folder):
    write(os.path.join(folder, 'text'), long_text())
    # The xz item of another tool, as 7z extracts it.
    run("7z x -y '%s'" % os.path.join(FIXTURES, 'zip-peers', 'xz.zip'), folder)
    # The text as xz and zstd streams; two zstd frames in a row, the second
    # without its content size.
    run('xz -9 -c text > text.xz && zstd -q -19 -c text > text.zst && '
        '(zstd -q -c text; zstd -q -c text) > text2.zst', folder)


def zstd_item(folder):
    data = bytes((ord('Vornel '[i % 7]) + i // 5000) & 0xFF for i in range(50000))
    write(os.path.join(folder, 'data.txt'), data)
    run("zstd -q -c data.txt > data.zst && python3 '%s' raw 93 data.zst data.txt zstd.zip"
        % ENCODER, folder)


def word_text(size, seed):
    """The words of the PPMd tests' WordText()."""
    x = seed
    def next_value():
        nonlocal x
        x = (x * 1103515245 + 12345) & 0xFFFFFFFF
        return x >> 8
    syllables = ('vor', 'nel', 'in', 'stal', 'ler', 'ka', 'ra', 'to', 'mi', 'sun', 'de', 'zo',
                 'pe', 'lu', 'qua', 'th')
    out = bytearray()
    while len(out) < size:
        n = 1 + next_value() % 4
        for _ in range(n):
            out += syllables[next_value() % 16].encode()
        if next_value() % 9 == 0:
            out += str(next_value() % 100000).encode()
        out.append(b' ,. \n'[next_value() % 5])
    return bytes(out[:size])


def records(size):
    """The PPMd tests' Records(): little-endian records with slowly changing fields."""
    out = bytearray()
    i = 0
    while len(out) < size:
        for f in (i, i * i % 977, 0x1000 + i // 50, 0xFFFFFFFF if i % 7 == 0 else 0):
            out += (f & 0xFFFFFFFF).to_bytes(4, 'little')
        i += 1
    return bytes(out[:size])


# The PPMd recipes, one for each test: each case's folder, data and switches of 7z.
PPMD_RECIPES = {
    'ppmd-orders': [
        ('order2', lambda: word_text(60000, 1), '-mo=2 -mmem=1m -ma=0'),
        ('order3-cut', lambda: word_text(60000, 1), '-mo=3 -mmem=16m -ma=1'),
        ('order6', lambda: word_text(60000, 1), '-mo=6 -mmem=16m -ma=0'),
        ('order8-records', lambda: records(40000), '-mo=8 -mmem=16m -ma=0'),
        ('order16-cut', lambda: word_text(60000, 1), '-mo=16 -mmem=256m -ma=1'),
        ('order16-records-cut', lambda: records(40000), '-mo=16 -mmem=1m -ma=1'),
        ('short', lambda: word_text(300, 9), '-mo=6 -mmem=1m -ma=0'),
        ('all-bytes',
         lambda: bytes(list(range(256)) + list(range(255, -1, -1)) + list(range(256))),
         '-mo=4 -mmem=1m -ma=0'),
    ],
    'ppmd-full-memory': [
        ('full-restart-8', lambda: word_text(200000, 7), '-mo=8 -mmem=1m -ma=0'),
        ('full-restart-16', lambda: word_text(200000, 7), '-mo=16 -mmem=1m -ma=0'),
        ('full-cut-8', lambda: word_text(200000, 7), '-mo=8 -mmem=1m -ma=1'),
        ('full-cut-16', lambda: word_text(200000, 7), '-mo=16 -mmem=1m -ma=1'),
    ],
    'ppmd-damage': [('damage', lambda: word_text(15000, 3), '-mo=6 -mmem=1m')],
    'ppmd-unzipper': [('unzipper', lambda: word_text(20000, 5), '-mo=8 -mmem=2m')],
}


def ppmd(cases):
    def make(folder):
        for name, data, switches in cases:
            sub = os.path.join(folder, name)
            os.makedirs(sub)
            write(os.path.join(sub, 'data.bin'), data())
            run('7z a -tzip -mm=PPMd %s ppmd.zip data.bin' % switches, sub)
    return make


RECIPES = {
    'legacy-methods': legacy,
    'xz-zstd': xz_zstd,
    'zstd-item': zstd_item,
}
RECIPES.update({name: ppmd(cases) for name, cases in PPMD_RECIPES.items()})
