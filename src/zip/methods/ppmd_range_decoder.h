// The range decoder of the PPMd (variant I) items: a carry-less range coder
// whose interval is renormalised a byte at a time, with the range clipped to
// the next boundary whenever it falls below the bottom value.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/stream.h"
#include "zip/methods/legacy_error.h"

namespace vornel {

// The compressed bytes, read in blocks. Past the end it yields zeros, a few of
// them at most (a coder may leave out the last bytes of its flush); reading on
// beyond that means the data was cut short.
class TArPpmdInput {
 public:
  explicit TArPpmdInput(TStream& source) : FSource(source), FBuffer(65536) {}

  std::uint8_t ReadByte() {
    if (FPos == FEnd && !Refill()) {
      if (++FOverrun > kTolerance)
        throw EArLegacyDataError(u"PPMd data is cut short");
      return 0;
    }
    return FBuffer[FPos++];
  }

 private:
  static constexpr int kTolerance = 4;

  bool Refill() {
    if (FEnded)
      return false;
    const std::int64_t n = FSource.Read(FBuffer.data(), static_cast<std::int64_t>(FBuffer.size()));
    FPos = 0;
    FEnd = n > 0 ? static_cast<std::size_t>(n) : 0;
    FEnded = n <= 0;
    return FEnd > 0;
  }

  TStream& FSource;
  std::vector<std::uint8_t> FBuffer;
  std::size_t FPos = 0;
  std::size_t FEnd = 0;
  bool FEnded = false;
  int FOverrun = 0;
};

class TArPpmdRangeDecoder {
 public:
  explicit TArPpmdRangeDecoder(TArPpmdInput& input) : FInput(input) {
    for (int i = 0; i < 4; ++i)
      FCode = (FCode << 8) | FInput.ReadByte();
    if (FCode == 0xFFFFFFFFu)
      throw EArLegacyDataError(u"PPMd data: bad start of the coded stream");
  }

  // The position of the code within a total of `total` counts; narrows the
  // range to one count.
  std::uint32_t Threshold(std::uint32_t total) {
    FRange /= total;
    if (FRange == 0)
      throw EArLegacyDataError(u"PPMd data: range underflow");
    return (FCode - FLow) / FRange;
  }

  // The same for a total of 2^bits.
  std::uint32_t ThresholdShift(unsigned bits) {
    FRange >>= bits;
    return (FCode - FLow) / FRange;
  }

  // Takes the counts start .. start + size - 1 of the last threshold's total.
  void Decode(std::uint32_t start, std::uint32_t size) {
    FLow += start * FRange;
    FRange *= size;
    Normalize();
  }

 private:
  static constexpr std::uint32_t kTop = 1u << 24;
  static constexpr std::uint32_t kBottom = 1u << 15;

  void Normalize() {
    for (;;) {
      if ((FLow ^ (FLow + FRange)) >= kTop) {
        if (FRange >= kBottom)
          return;
        FRange = (0u - FLow) & (kBottom - 1);
      }
      FCode = (FCode << 8) | FInput.ReadByte();
      FRange <<= 8;
      FLow <<= 8;
      if (FRange == 0 && FLow == 0)
        throw EArLegacyDataError(u"PPMd data: range underflow");
    }
  }

  TArPpmdInput& FInput;
  std::uint32_t FLow = 0;
  std::uint32_t FRange = 0xFFFFFFFFu;
  std::uint32_t FCode = 0;
};

}  // namespace vornel
