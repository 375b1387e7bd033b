#include "zip/methods/unreduce.h"

#include <array>
#include <cstdint>

#include "zip/methods/legacy_bit_reader.h"
#include "zip/methods/legacy_error.h"
#include "zip/methods/legacy_output.h"

// The data begins with a follower set for each byte value from 255 down to 0: a
// 6-bit count and that many 8-bit followers. Each byte then comes either as a
// literal (a 1 bit and 8 bits, or 8 bits alone when the previous byte has no
// followers) or as a 0 bit and the index of a follower of the previous byte, in
// as few bits as the count needs. The bytes so decoded drive a small machine:
// 0x90 followed by 0 is a literal 0x90; followed by V it starts a copy whose
// length sits in the low 8-factor bits of V (all ones: one more length byte
// follows) and whose distance is the high bits of V times 256 plus the next
// byte plus 1. A copy is 3 bytes longer than its length.

namespace vornel {

namespace {

constexpr std::uint8_t kDle = 0x90;

// Bits of a follower index for a set of n followers (n >= 1).
unsigned IndexBits(unsigned n) {
  unsigned bits = 1;
  while ((1u << bits) < n)
    ++bits;
  return bits;
}

struct TFollowerSet {
  std::array<std::uint8_t, 64> Bytes{};
  unsigned Count = 0;
  unsigned Bits = 0;
};

}  // namespace

void ArUnreduce(TStream& source, TStream& dest, std::int64_t size, int factor) {
  if (factor < 1 || factor > 4)
    throw EArLegacyDataError(u"Reduced data: bad factor");
  TArLegacyBitReader in(source);
  TArLegacyOutput out(dest, size);

  std::array<TFollowerSet, 256> sets{};
  for (int c = 255; c >= 0; --c) {
    TFollowerSet& set = sets[static_cast<std::size_t>(c)];
    set.Count = in.Bits(6);
    if (set.Count > 32)
      throw EArLegacyDataError(u"Reduced data: follower set too large");
    for (unsigned i = 0; i < set.Count; ++i)
      set.Bytes[i] = static_cast<std::uint8_t>(in.Bits(8));
    set.Bits = set.Count > 0 ? IndexBits(set.Count) : 0;
  }

  const unsigned lengthBits = 8 - static_cast<unsigned>(factor);
  const unsigned lengthMask = (1u << lengthBits) - 1;
  enum { sLiteral, sAfterDle, sLengthByte, sDistanceByte } state = sLiteral;
  unsigned value = 0;
  std::size_t length = 0;
  std::uint8_t last = 0;

  while (!out.Done()) {
    const TFollowerSet& set = sets[last];
    std::uint8_t c;
    if (set.Count == 0 || in.Bit() == 1) {
      c = static_cast<std::uint8_t>(in.Bits(8));
    } else {
      const unsigned index = in.Bits(set.Bits);
      if (index >= set.Count)
        throw EArLegacyDataError(u"Reduced data: bad follower index");
      c = set.Bytes[index];
    }
    last = c;

    switch (state) {
      case sLiteral:
        if (c == kDle) {
          state = sAfterDle;
        } else {
          out.Put(c);
        }
        break;
      case sAfterDle:
        if (c == 0) {
          out.Put(kDle);
          state = sLiteral;
        } else {
          value = c;
          length = c & lengthMask;
          state = length == lengthMask ? sLengthByte : sDistanceByte;
        }
        break;
      case sLengthByte:
        length += c;
        state = sDistanceByte;
        break;
      case sDistanceByte: {
        const std::size_t distance = ((value >> lengthBits) << 8) + c + 1;
        out.Copy(distance, length + 3);
        state = sLiteral;
        break;
      }
    }
  }
  out.Finish();
}

}  // namespace vornel
