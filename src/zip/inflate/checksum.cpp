#include "zip/inflate/checksum.h"

#include <array>
#include <bit>
#include <cstring>

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

inline std::uint64_t LoadLe64(const std::uint8_t* p) {
  std::uint64_t v;
  std::memcpy(&v, p, 8);
  if constexpr (std::endian::native == std::endian::big)
    v = __builtin_bswap64(v);
  return v;
}

std::uint32_t Crc32Raw(std::uint32_t reg, const std::uint8_t* p, std::size_t size) {
  while (size >= kSlices) {
    const std::uint64_t lo = LoadLe64(p) ^ reg;
    const std::uint64_t hi = LoadLe64(p + 8);
    reg = kTables[15][lo & 0xFF] ^ kTables[14][(lo >> 8) & 0xFF] ^ kTables[13][(lo >> 16) & 0xFF] ^
          kTables[12][(lo >> 24) & 0xFF] ^ kTables[11][(lo >> 32) & 0xFF] ^
          kTables[10][(lo >> 40) & 0xFF] ^ kTables[9][(lo >> 48) & 0xFF] ^ kTables[8][lo >> 56] ^
          kTables[7][hi & 0xFF] ^ kTables[6][(hi >> 8) & 0xFF] ^ kTables[5][(hi >> 16) & 0xFF] ^
          kTables[4][(hi >> 24) & 0xFF] ^ kTables[3][(hi >> 32) & 0xFF] ^
          kTables[2][(hi >> 40) & 0xFF] ^ kTables[1][(hi >> 48) & 0xFF] ^ kTables[0][hi >> 56];
    p += kSlices;
    size -= kSlices;
  }
  while (size-- > 0)
    reg = kTables[0][(reg ^ *p++) & 0xFF] ^ (reg >> 8);
  return reg;
}

}  // namespace

std::uint32_t ArCrc32Update(std::uint32_t crc, const void* data, std::size_t size) {
  return ~Crc32Raw(~crc, static_cast<const std::uint8_t*>(data), size);
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
