#include "zip/methods/explode.h"

#include <array>
#include <cstdint>
#include <vector>

#include "zip/methods/legacy_bit_reader.h"
#include "zip/methods/legacy_error.h"
#include "zip/methods/legacy_output.h"

// Each tree is stored as a byte count minus one, then bytes of which the high
// nibble is a repeat count minus one and the low nibble a code length minus one,
// giving the lengths of the tree's values in order. The codes that the lengths
// imply are those of a canonical prefix code (shorter codes first, values in
// order within a length) with every bit inverted, sent first bit first; the
// decoder below reads them bit by bit and walks the canonical code, inverting
// each bit read.
//
// A literal is a 1 bit and either 8 bits or a literal-tree code. A copy is a 0
// bit, the low 6 (4 KiB) or 7 (8 KiB) distance bits, a distance-tree code (the
// high 6 bits), a length-tree code, with 8 more length bits when it is 63. The
// copy's length adds 3 with a literal tree, else 2; its distance adds 1.

namespace vornel {

namespace {

class TShannonFanoTree {
 public:
  // Reads the tree's description for count values.
  TShannonFanoTree(TArLegacyBitReader& in, unsigned count) {
    std::vector<std::uint8_t> lengths;
    lengths.reserve(count);
    const unsigned bytes = in.Bits(8) + 1;
    for (unsigned i = 0; i < bytes; ++i) {
      const unsigned b = in.Bits(8);
      const unsigned repeat = (b >> 4) + 1;
      const unsigned length = (b & 0x0F) + 1;
      for (unsigned r = 0; r < repeat; ++r) {
        if (lengths.size() == count)
          throw EArLegacyDataError(u"Imploded data: tree too long");
        lengths.push_back(static_cast<std::uint8_t>(length));
      }
    }
    if (lengths.size() != count)
      throw EArLegacyDataError(u"Imploded data: tree too short");
    Build(lengths);
  }

  unsigned Decode(TArLegacyBitReader& in) const {
    // Canonical walk: code is the bits read so far; first the lowest code of the
    // current length; index the position of the length's first value.
    unsigned code = 0;
    unsigned first = 0;
    unsigned index = 0;
    for (unsigned length = 1; length <= 16; ++length) {
      code |= in.Bit() ^ 1u;
      const unsigned count = FCount[length];
      if (code < first + count)
        return FSymbols[index + (code - first)];
      index += count;
      first = (first + count) << 1;
      code <<= 1;
    }
    throw EArLegacyDataError(u"Imploded data: bad code");
  }

 private:
  void Build(const std::vector<std::uint8_t>& lengths) {
    for (const auto length : lengths)
      ++FCount[length];
    // A complete or incomplete prefix code, never an over-subscribed one.
    int left = 1;
    for (unsigned length = 1; length <= 16; ++length) {
      left = (left << 1) - FCount[length];
      if (left < 0)
        throw EArLegacyDataError(u"Imploded data: over-subscribed tree");
    }
    std::array<unsigned, 18> offset{};
    for (unsigned length = 1; length <= 16; ++length)
      offset[length + 1] = offset[length] + FCount[length];
    FSymbols.resize(lengths.size());
    for (unsigned value = 0; value < lengths.size(); ++value) {
      FSymbols[offset[lengths[value]]++] = static_cast<std::uint16_t>(value);
    }
  }

  std::array<unsigned, 17> FCount{};
  std::vector<std::uint16_t> FSymbols;  // values ordered by code length, then value
};

}  // namespace

void ArExplode(TStream& source, TStream& dest, std::int64_t size, bool largeDictionary,
               bool literalTree) {
  TArLegacyBitReader in(source);
  TArLegacyOutput out(dest, size);

  std::vector<TShannonFanoTree> trees;
  if (literalTree)
    trees.emplace_back(in, 256);
  const TShannonFanoTree lengthTree(in, 64);
  const TShannonFanoTree distanceTree(in, 64);

  const unsigned lowDistanceBits = largeDictionary ? 7 : 6;
  const std::size_t minimumLength = literalTree ? 3 : 2;

  while (!out.Done()) {
    if (in.Bit() == 1) {
      out.Put(static_cast<std::uint8_t>(literalTree ? trees.front().Decode(in) : in.Bits(8)));
      continue;
    }
    const unsigned low = in.Bits(lowDistanceBits);
    const unsigned high = distanceTree.Decode(in);
    const std::size_t distance = ((static_cast<std::size_t>(high) << lowDistanceBits) | low) + 1;
    std::size_t length = lengthTree.Decode(in);
    if (length == 63)
      length += in.Bits(8);
    out.Copy(distance, length + minimumLength);
  }
  out.Finish();
}

}  // namespace vornel
