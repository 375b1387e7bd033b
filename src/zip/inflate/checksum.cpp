#include "zip/inflate/checksum.h"

#include <array>
#include <bit>
#include <cstring>

#include "zip/inflate/crc32_kernels.h"
#include "zip/inflate/load_le64.h"

namespace vornel {

namespace {

constexpr std::uint32_t kPolynomial = 0xEDB88320u;
constexpr int kSlices = 16;

using TCrcTables = std::array<std::array<std::uint32_t, 256>, kSlices>;

// tables[0] is the byte table; tables[k][b] is the register contribution of byte b
// followed by k zero bytes, so 16 bytes are folded with 16 independent lookups.
constexpr TCrcTables MakeTables() {
  TCrcTables tables{};
  for (std::uint32_t b = 0; b < 256; ++b) {
    std::uint32_t c = b;
    for (int i = 0; i < 8; ++i)
      c = (c & 1) ? (c >> 1) ^ kPolynomial : c >> 1;
    tables[0][b] = c;
  }
  for (int k = 1; k < kSlices; ++k) {
    for (std::uint32_t b = 0; b < 256; ++b) {
      const std::uint32_t prev = tables[k - 1][b];
      tables[k][b] = (prev >> 8) ^ tables[0][prev & 0xFF];
    }
  }
  return tables;
}

constexpr TCrcTables kTables = MakeTables();

// Braiding: the input is read as kLanes interleaved streams of 8-byte words, word i
// going to lane i mod kLanes, each lane keeping its own register. A byte at
// position k of a word is followed by 7 - k bytes of its word and then the words of
// the other lanes before its lane continues, so its table shifts it over
// 8 * kLanes - 1 - k zero bytes. The lanes have no dependency on one another.
constexpr int kLanes = 5;
constexpr std::size_t kBraidBlock = 8 * kLanes;

using TBraidTables = std::array<std::array<std::uint32_t, 256>, 8>;

constexpr TBraidTables MakeBraidTables() {
  TBraidTables tables{};
  for (int k = 0; k < 8; ++k) {
    for (std::uint32_t b = 0; b < 256; ++b) {
      std::uint32_t c = kTables[0][b];
      for (std::size_t z = 0; z < kBraidBlock - 1 - static_cast<std::size_t>(k); ++z) {
        c = (c >> 8) ^ kTables[0][c & 0xFF];
      }
      tables[k][b] = c;
    }
  }
  return tables;
}

constexpr TBraidTables kBraid = MakeBraidTables();

std::uint32_t Crc32Slices(std::uint32_t reg, const std::uint8_t* p, std::size_t size);

}  // namespace

// Whole braid blocks, leaving one block and the rest to the slicing loop. The lane
// registers still due at the last block are folded into a copy of its words.
std::uint32_t ArCrc32RawTable(std::uint32_t reg, const std::uint8_t* p, std::size_t size) {
  if (size < 4 * kBraidBlock)
    return Crc32Slices(reg, p, size);
  std::size_t blocks = size / kBraidBlock - 1;
  std::uint64_t lane[kLanes] = {reg};
  while (blocks-- > 0) {
    for (int j = 0; j < kLanes; ++j) {
      const std::uint64_t w = LoadLe64(p + 8 * j) ^ lane[j];
      lane[j] = (kBraid[0][w & 0xFF] ^ kBraid[1][(w >> 8) & 0xFF]) ^
                (kBraid[2][(w >> 16) & 0xFF] ^ kBraid[3][(w >> 24) & 0xFF]) ^
                ((kBraid[4][(w >> 32) & 0xFF] ^ kBraid[5][(w >> 40) & 0xFF]) ^
                 (kBraid[6][(w >> 48) & 0xFF] ^ kBraid[7][w >> 56]));
    }
    p += kBraidBlock;
    size -= kBraidBlock;
  }
  std::uint8_t last[kBraidBlock];
  for (int j = 0; j < kLanes; ++j) {
    std::uint64_t w = LoadLe64(p + 8 * j) ^ lane[j];
    if constexpr (std::endian::native == std::endian::big)
      w = __builtin_bswap64(w);
    std::memcpy(last + 8 * j, &w, 8);
  }
  reg = Crc32Slices(0, last, kBraidBlock);
  return Crc32Slices(reg, p + kBraidBlock, size - kBraidBlock);
}

namespace {

std::uint32_t Crc32Slices(std::uint32_t reg, const std::uint8_t* p, std::size_t size) {
  while (size >= kSlices) {
    const std::uint64_t lo = LoadLe64(p) ^ reg;
    const std::uint64_t hi = LoadLe64(p + 8);
    // Sixteen independent lookups, combined as a tree so that the chain from one
    // block to the next stays short.
    const auto t = [](int table, std::uint64_t word, int byte) {
      return kTables[table][(word >> (8 * byte)) & 0xFF];
    };
    const std::uint32_t a = (t(15, lo, 0) ^ t(14, lo, 1)) ^ (t(13, lo, 2) ^ t(12, lo, 3));
    const std::uint32_t b = (t(11, lo, 4) ^ t(10, lo, 5)) ^ (t(9, lo, 6) ^ t(8, lo, 7));
    const std::uint32_t c = (t(7, hi, 0) ^ t(6, hi, 1)) ^ (t(5, hi, 2) ^ t(4, hi, 3));
    const std::uint32_t d = (t(3, hi, 4) ^ t(2, hi, 5)) ^ (t(1, hi, 6) ^ t(0, hi, 7));
    reg = (a ^ b) ^ (c ^ d);
    p += kSlices;
    size -= kSlices;
  }
  while (size-- > 0)
    reg = kTables[0][(reg ^ *p++) & 0xFF] ^ (reg >> 8);
  return reg;
}

using TCrc32Raw = std::uint32_t (*)(std::uint32_t, const std::uint8_t*, std::size_t);

TCrc32Raw RawFor(TArCrc32Kernel kernel) {
  switch (kernel) {
    case ckrWideClmul:
      return ArCrc32RawWideClmul;
    case ckrClmul:
      return ArCrc32RawClmul;
    case ckrTable:
      break;
  }
  return ArCrc32RawTable;
}

}  // namespace

TArCrc32Kernel ArCrc32KernelFor(const TArCrc32Features& features) {
  if (features.WideClmul)
    return ckrWideClmul;
  return features.Clmul ? ckrClmul : ckrTable;
}

TArCrc32Kernel ArCrc32ActiveKernel() {
  static const TArCrc32Kernel kernel = ArCrc32KernelFor(ArCrc32ProcessorFeatures());
  return kernel;
}

std::uint32_t ArCrc32UpdateWith(TArCrc32Kernel kernel, std::uint32_t crc, const void* data,
                                std::size_t size) {
  return ~RawFor(kernel)(~crc, static_cast<const std::uint8_t*>(data), size);
}

std::uint32_t ArCrc32Update(std::uint32_t crc, const void* data, std::size_t size) {
  // Chosen once from the processor's features; a constant of the process after that.
  static const TCrc32Raw raw = RawFor(ArCrc32ActiveKernel());
  return ~raw(~crc, static_cast<const std::uint8_t*>(data), size);
}

std::uint32_t ArCrc32Step(std::uint32_t reg, std::uint8_t byte) {
  return kTables[0][(reg ^ byte) & 0xFF] ^ (reg >> 8);
}

std::uint32_t ArAdler32Update(std::uint32_t adler, const void* data, std::size_t size) {
  constexpr std::uint32_t kBase = 65521;
  // The largest n with 255n(n+1)/2 + (n+1)(kBase-1) below 2^32: sums stay exact.
  constexpr std::size_t kChunk = 5552;
  auto p = static_cast<const std::uint8_t*>(data);
  std::uint32_t a = adler & 0xFFFF;
  std::uint32_t b = adler >> 16;
  while (size > 0) {
    std::size_t n = size < kChunk ? size : kChunk;
    size -= n;
    while (n-- > 0) {
      a += *p++;
      b += a;
    }
    a %= kBase;
    b %= kBase;
  }
  return (b << 16) | a;
}

}  // namespace vornel
