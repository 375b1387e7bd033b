#!/usr/bin/env python3
"""Encoders of the legacy zip methods (shrink, reduce, implode), written from the
published application note, used only to make test fixtures. Each writes a zip
archive of one item:

    legacy_encoders.py METHOD INPUT ARCHIVE

METHOD is shrink, reduce1 .. reduce4, implode4k2, implode4k3, implode8k2 or
implode8k3. A zip of any other method number around raw data:

    legacy_encoders.py raw METHOD-NUMBER DATA-FILE ORIGINAL ARCHIVE
"""
import os
import struct
import sys
import zlib
from collections import Counter


def match_length(data, j, i, limit):
    """Length of the common run of data[j:] and data[i:], at most limit."""
    n = min(limit, len(data) - i)
    l = 0
    while l + 32 <= n and data[j + l:j + l + 32] == data[i + l:i + l + 32]:
        l += 32
    while l < n and data[j + l] == data[i + l]:
        l += 1
    return l


class BitWriter:
    """Bits least significant first within each byte."""

    def __init__(self):
        self.out = bytearray()
        self.acc = 0
        self.count = 0

    def bits(self, value, n):
        self.acc |= (value & ((1 << n) - 1)) << self.count
        self.count += n
        while self.count >= 8:
            self.out.append(self.acc & 0xFF)
            self.acc >>= 8
            self.count -= 8

    def finish(self):
        if self.count:
            self.out.append(self.acc)
            self.acc = 0
            self.count = 0
        return bytes(self.out)


# --- shrink (method 1) --------------------------------------------------------

def shrink(data, max_codes=8192):
    w = BitWriter()
    bits = 9
    prefix = {}      # code -> (prefix code, byte) for codes >= 257
    lookup = {}      # (prefix code, byte) -> code

    def lowest_free(start):
        c = start
        while c < max_codes and c in prefix:
            c += 1
        return c

    next_free = 257

    def emit(code):
        nonlocal bits
        while code >= (1 << bits):
            w.bits(256, bits)
            w.bits(1, bits)
            bits += 1
        w.bits(code, bits)

    def partial_clear():
        used = set(p for (p, _) in prefix.values())
        for c in [c for c in prefix if c not in used]:
            lookup.pop(prefix.pop(c))

    if not data:
        return w.finish()
    cur = data[0]
    for byte in data[1:]:
        key = (cur, byte)
        if key in lookup:
            cur = lookup[key]
            continue
        emit(cur)
        if next_free >= max_codes:
            w.bits(256, bits)
            w.bits(2, bits)
            partial_clear()
            next_free = lowest_free(257)
        if next_free < max_codes:
            prefix[next_free] = key
            lookup[key] = next_free
            next_free = lowest_free(next_free + 1)
        cur = byte
    emit(cur)
    return w.finish()


# --- reduce (methods 2 to 5) --------------------------------------------------

DLE = 0x90


def reduce_stage1(data, factor):
    """Runs of repeated text as DLE sequences."""
    length_bits = 8 - factor
    mask = (1 << length_bits) - 1
    max_distance = (1 << factor) * 256
    max_length = mask + 255 + 3
    out = bytearray()
    heads = {}
    i = 0
    n = len(data)
    while i < n:
        best_len, best_dist = 0, 0
        if i + 3 <= n:
            for j in reversed(heads.get(data[i:i + 3], [])[-16:]):
                d = i - j
                if d > max_distance:
                    break
                l = match_length(data, j, i, max_length)
                if l > best_len:
                    best_len, best_dist = l, d
        if best_len >= 3:
            high = (best_dist - 1) >> 8
            low = (best_dist - 1) & 0xFF
            length = best_len - 3
            if high == 0 and length == 0:
                if best_len < 4:
                    best_len = 0
                else:
                    best_len, length = 4, 1
        if best_len >= 3:
            if length >= mask:
                out += bytes([DLE, (high << length_bits) | mask, length - mask, low])
            else:
                out += bytes([DLE, (high << length_bits) | length, low])
            for k in range(i, i + best_len):
                if k + 3 <= n:
                    heads.setdefault(data[k:k + 3], []).append(k)
            i += best_len
        else:
            out += bytes([DLE, 0]) if data[i] == DLE else bytes([data[i]])
            if i + 3 <= n:
                heads.setdefault(data[i:i + 3], []).append(i)
            i += 1
    return bytes(out)


def index_bits(n):
    b = 1
    while (1 << b) < n:
        b += 1
    return b


def reduce(data, factor):
    stage = reduce_stage1(data, factor)
    pairs = Counter()
    last = 0
    for b in stage:
        pairs[(last, b)] += 1
        last = b
    followers = {c: [] for c in range(256)}
    for (a, b), _ in pairs.most_common():
        if len(followers[a]) < 32:
            followers[a].append(b)
    w = BitWriter()
    for c in range(255, -1, -1):
        w.bits(len(followers[c]), 6)
        for f in followers[c]:
            w.bits(f, 8)
    last = 0
    for b in stage:
        s = followers[last]
        if not s:
            w.bits(b, 8)
        elif b in s:
            w.bits(0, 1)
            w.bits(s.index(b), index_bits(len(s)))
        else:
            w.bits(1, 1)
            w.bits(b, 8)
        last = b
    return w.finish()


# --- implode (method 6) -------------------------------------------------------

def code_lengths(freqs, limit=16):
    """Lengths of a complete prefix code over every symbol, none above limit."""
    freqs = [f + 1 for f in freqs]
    while True:
        nodes = [(f, i, None) for i, f in enumerate(freqs)]
        import heapq
        heap = [(f, i, [i]) for i, f in enumerate(freqs)]
        heapq.heapify(heap)
        depth = [0] * len(freqs)
        tie = len(freqs)
        while len(heap) > 1:
            f1, _, s1 = heapq.heappop(heap)
            f2, _, s2 = heapq.heappop(heap)
            for s in s1 + s2:
                depth[s] += 1
            heapq.heappush(heap, (f1 + f2, tie, s1 + s2))
            tie += 1
        if max(depth) <= limit:
            return depth
        freqs = [f // 2 + 1 for f in freqs]


def canonical_codes(lengths):
    codes = [0] * len(lengths)
    code = 0
    for length in range(1, 17):
        for sym, l in enumerate(lengths):
            if l == length:
                codes[sym] = code
                code += 1
        code <<= 1
    return codes


def write_tree(w, lengths):
    runs = []
    for l in lengths:
        if runs and runs[-1][0] == l and runs[-1][1] < 16:
            runs[-1][1] += 1
        else:
            runs.append([l, 1])
    w.bits(len(runs) - 1, 8)
    for l, r in runs:
        w.bits(((r - 1) << 4) | (l - 1), 8)


def write_code(w, code, length):
    # The code's bits inverted, its first bit sent first.
    reversed_code = int(format(code ^ ((1 << length) - 1), '0%db' % length)[::-1], 2)
    w.bits(reversed_code, length)


def implode(data, large, literal_tree):
    low_bits = 7 if large else 6
    window = 8192 if large else 4096
    minimum = 3 if literal_tree else 2
    max_length = minimum + 63 + 255
    tokens = []
    heads = {}
    i, n = 0, len(data)
    while i < n:
        best_len, best_dist = 0, 0
        if i + minimum <= n:
            for j in reversed(heads.get(data[i:i + minimum], [])[-16:]):
                d = i - j
                if d > window:
                    break
                l = match_length(data, j, i, max_length)
                if l > best_len:
                    best_len, best_dist = l, d
        step = best_len if best_len >= minimum else 1
        if best_len >= minimum:
            tokens.append((best_len, best_dist))
        else:
            tokens.append((None, data[i]))
        for k in range(i, i + step):
            if k + minimum <= n:
                heads.setdefault(data[k:k + minimum], []).append(k)
        i += step
    lit = [0] * 256
    lens = [0] * 64
    dists = [0] * 64
    for length, value in tokens:
        if length is None:
            lit[value] += 1
        else:
            lens[min(length - minimum, 63)] += 1
            dists[(value - 1) >> low_bits] += 1
    w = BitWriter()
    trees = []
    if literal_tree:
        trees.append(code_lengths(lit))
    trees.append(code_lengths(lens))
    trees.append(code_lengths(dists))
    for t in trees:
        write_tree(w, t)
    codes = [canonical_codes(t) for t in trees]
    if literal_tree:
        lit_len, lit_code = trees[0], codes[0]
    len_len, len_code = trees[-2], codes[-2]
    dist_len, dist_code = trees[-1], codes[-1]
    for length, value in tokens:
        if length is None:
            w.bits(1, 1)
            if literal_tree:
                write_code(w, lit_code[value], lit_len[value])
            else:
                w.bits(value, 8)
        else:
            w.bits(0, 1)
            d = value - 1
            w.bits(d & ((1 << low_bits) - 1), low_bits)
            high = d >> low_bits
            write_code(w, dist_code[high], dist_len[high])
            l = length - minimum
            if l >= 63:
                write_code(w, len_code[63], len_len[63])
                w.bits(l - 63, 8)
            else:
                write_code(w, len_code[l], len_len[l])
    return w.finish()


# --- the archive --------------------------------------------------------------

def write_zip(path, name, method, flags, packed, original, version=10):
    crc = zlib.crc32(original) & 0xFFFFFFFF
    name_bytes = name.encode('ascii')
    time, date = 0, (41 << 9) | (1 << 5) | 1  # 2021-01-01
    local = struct.pack('<IHHHHHIIIHH', 0x04034B50, version, flags, method, time, date,
                        crc, len(packed), len(original), len(name_bytes), 0)
    central = struct.pack('<IHHHHHHIIIHHHHHII', 0x02014B50, version, version, flags, method,
                          time, date, crc, len(packed), len(original), len(name_bytes),
                          0, 0, 0, 0, 0, 0)
    body = local + name_bytes + packed
    directory = central + name_bytes
    end = struct.pack('<IHHHHIIH', 0x06054B50, 0, 0, 1, 1, len(directory), len(body), 0)
    with open(path, 'wb') as f:
        f.write(body + directory + end)


def main(argv):
    if argv[1] == 'raw':
        method = int(argv[2])
        packed = open(argv[3], 'rb').read()
        original = open(argv[4], 'rb').read()
        write_zip(argv[5], os.path.basename(argv[4]), method, 0, packed, original, 63)
        return 0
    method, source, archive = argv[1], argv[2], argv[3]
    data = open(source, 'rb').read()
    name = os.path.basename(source)
    if method == 'shrink':
        write_zip(archive, name, 1, 0, shrink(data), data)
    elif method.startswith('reduce'):
        factor = int(method[6:])
        write_zip(archive, name, 1 + factor, 0, reduce(data, factor), data)
    elif method.startswith('implode'):
        large = method[7] == '8'
        literal_tree = method[-1] == '3'
        flags = (2 if large else 0) | (4 if literal_tree else 0)
        write_zip(archive, name, 6, flags, implode(data, large, literal_tree), data)
    else:
        print('unknown method', method, file=sys.stderr)
        return 2
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
