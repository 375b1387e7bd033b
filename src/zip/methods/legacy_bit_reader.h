// Bits of a legacy zip method, least significant bit of each byte first.
//
// Invariants: FBits holds FCount valid bits (0..32) in its low end, the next bit
// of the stream at bit 0; bits above FCount are zero. Input is taken from the
// source in blocks. Asking for a bit beyond the last byte of the item raises
// EArLegacyDataError: a valid stream ends before that, since every decoder stops
// as soon as it has produced the item's size.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/stream.h"
#include "zip/methods/legacy_error.h"

namespace vornel {

class TArLegacyBitReader {
 public:
  explicit TArLegacyBitReader(TStream& source) : FSource(source), FBlock(4096) {}

  // The next count bits (1..24) as a number, the first bit read in bit 0.
  std::uint32_t Bits(unsigned count) {
    while (FCount < count) {
      FBits |= static_cast<std::uint32_t>(NextByte()) << FCount;
      FCount += 8;
    }
    const std::uint32_t value = FBits & ((1u << count) - 1);
    FBits >>= count;
    FCount -= count;
    return value;
  }

  std::uint32_t Bit() { return Bits(1); }

 private:
  std::uint8_t NextByte() {
    if (FPos == FEnd) {
      FEnd = static_cast<std::size_t>(
          FSource.Read(FBlock.data(), static_cast<std::int64_t>(FBlock.size())));
      FPos = 0;
      if (FEnd == 0)
        throw EArLegacyDataError(u"Unexpected end of compressed data");
    }
    return FBlock[FPos++];
  }

  TStream& FSource;
  std::vector<std::uint8_t> FBlock;
  std::size_t FPos = 0;
  std::size_t FEnd = 0;
  std::uint32_t FBits = 0;
  unsigned FCount = 0;
};

}  // namespace vornel
