#!/usr/bin/env python3
"""Writes hand-made zip archives that no honest tool writes.

    hostile_zip.py KIND OUT

KIND is one of:
  shared-data     many central entries pointing at one local header and its data
                  (a small archive that unpacks to gigabytes)
  nested          an item whose stored data holds the local header and data of
                  the next item
  into-directory  an item whose compressed size runs into the central directory
  name-mismatch   a central entry whose local header carries another name
  good            two well-formed stored items, written by the same code
"""
import struct
import sys
import zlib

DATE = 0x5A21  # 2025-01-01
TIME = 0x6000  # 12:00:00


def local_header(name, method, crc, csize, usize):
    return struct.pack('<IHHHHHIIIHH', 0x04034B50, 20, 0, method, TIME, DATE, crc, csize, usize,
                       len(name), 0) + name


def central_header(name, method, crc, csize, usize, offset):
    return struct.pack('<IHHHHHHIIIHHHHHII', 0x02014B50, 20, 20, 0, method, TIME, DATE, crc,
                       csize, usize, len(name), 0, 0, 0, 0, 0, offset) + name


def end_record(count, size, offset):
    return struct.pack('<IHHHHIIH', 0x06054B50, 0, 0, count, count, size, offset, 0)


def archive(body, centrals):
    directory = b''.join(centrals)
    return body + directory + end_record(len(centrals), len(directory), len(body))


def stored(name, data):
    crc = zlib.crc32(data)
    return local_header(name, 0, crc, len(data), len(data)) + data, (0, crc, len(data), len(data))


def shared_data():
    # 5 MiB of zeros deflated to a few KiB, named by 1000 central entries.
    plain = bytes(5 << 20)
    packer = zlib.compressobj(9, zlib.DEFLATED, -15)
    packed = packer.compress(plain) + packer.flush()
    crc = zlib.crc32(plain)
    body = local_header(b'k0000', 8, crc, len(packed), len(plain)) + packed
    centrals = [central_header(b'k%04d' % i, 8, crc, len(packed), len(plain), 0)
                for i in range(1000)]
    return archive(body, centrals)


def nested():
    inner, (m, crc, cs, us) = stored(b'inner.txt', b'inner data ' * 20)
    outer, (om, ocrc, ocs, ous) = stored(b'outer.txt', inner)
    inner_offset = len(outer) - len(inner)
    return archive(outer, [central_header(b'outer.txt', om, ocrc, ocs, ous, 0),
                           central_header(b'inner.txt', m, crc, cs, us, inner_offset)])


def into_directory():
    body, (m, crc, cs, us) = stored(b'long.txt', b'x' * 100)
    return archive(body, [central_header(b'long.txt', m, crc, cs + 40, us, 0)])


def name_mismatch():
    first, (m1, crc1, cs1, us1) = stored(b'first.txt', b'first')
    second, (m2, crc2, cs2, us2) = stored(b'other.txt', b'second')
    return archive(first + second, [central_header(b'first.txt', m1, crc1, cs1, us1, 0),
                                    central_header(b'second.txt', m2, crc2, cs2, us2,
                                                   len(first))])


def good():
    first, (m1, crc1, cs1, us1) = stored(b'first.txt', b'first')
    second, (m2, crc2, cs2, us2) = stored(b'second.txt', b'second')
    return archive(first + second, [central_header(b'first.txt', m1, crc1, cs1, us1, 0),
                                    central_header(b'second.txt', m2, crc2, cs2, us2,
                                                   len(first))])


KINDS = {'shared-data': shared_data, 'nested': nested, 'into-directory': into_directory,
         'name-mismatch': name_mismatch, 'good': good}

if __name__ == '__main__':
    if len(sys.argv) != 3 or sys.argv[1] not in KINDS:
        sys.exit(__doc__)
    with open(sys.argv[2], 'wb') as out:
        out.write(KINDS[sys.argv[1]]())
