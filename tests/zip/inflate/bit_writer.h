// Hand-made deflate streams for the tests: bits least significant first, Huffman
// codes most significant first, the fixed codes and canonical codes from lengths.
#pragma once

#include <cstdint>
#include <vector>

namespace vornel::testing {

class BitWriter {
 public:
  // value's low n bits, least significant first (header fields, extra bits).
  BitWriter& Bits(std::uint32_t value, unsigned n) {
    for (unsigned i = 0; i < n; ++i)
      Bit((value >> i) & 1);
    return *this;
  }
  // A Huffman code of length bits, most significant bit first.
  BitWriter& Code(std::uint32_t code, unsigned length) {
    for (unsigned i = length; i-- > 0;)
      Bit((code >> i) & 1);
    return *this;
  }
  BitWriter& Align() {
    while (FCount != 0)
      Bit(0);
    return *this;
  }
  BitWriter& Bytes(const std::vector<std::uint8_t>& bytes) {
    Align();
    FBytes.insert(FBytes.end(), bytes.begin(), bytes.end());
    return *this;
  }
  BitWriter& BlockHeader(bool final, unsigned type) { return Bits(final ? 1 : 0, 1).Bits(type, 2); }

  // Fixed literal/length code of symbol (0..287) and fixed distance code (0..31).
  BitWriter& FixedLiteral(unsigned symbol) {
    if (symbol < 144)
      return Code(0x30 + symbol, 8);
    if (symbol < 256)
      return Code(0x190 + symbol - 144, 9);
    if (symbol < 280)
      return Code(symbol - 256, 7);
    return Code(0xC0 + symbol - 280, 8);
  }
  BitWriter& FixedDistance(unsigned symbol) { return Code(symbol, 5); }

  std::vector<std::uint8_t> Finish() {
    Align();
    return FBytes;
  }

 private:
  void Bit(unsigned bit) {
    if (FCount == 0)
      FBytes.push_back(0);
    FBytes.back() |= static_cast<std::uint8_t>(bit << FCount);
    FCount = (FCount + 1) & 7;
  }

  std::vector<std::uint8_t> FBytes;
  unsigned FCount = 0;
};

// The canonical codes of a set of code lengths (RFC 1951 section 3.2.2).
inline std::vector<std::uint32_t> CanonicalCodes(const std::vector<std::uint8_t>& lengths) {
  unsigned count[16] = {};
  for (auto len : lengths)
    ++count[len];
  count[0] = 0;
  std::uint32_t next[16] = {};
  std::uint32_t code = 0;
  for (unsigned len = 1; len < 16; ++len) {
    code = (code + count[len - 1]) << 1;
    next[len] = code;
  }
  std::vector<std::uint32_t> codes(lengths.size());
  for (std::size_t s = 0; s < lengths.size(); ++s) {
    if (lengths[s] != 0)
      codes[s] = next[lengths[s]]++;
  }
  return codes;
}

// A dynamic block header whose code-length code gives symbols 0..15 four bits each,
// followed by every literal/length and distance length as such a symbol. Returns
// the codes of both alphabets for writing the block data.
struct DynamicCodes {
  std::vector<std::uint8_t> literalLengths, distanceLengths;
  std::vector<std::uint32_t> literalCodes, distanceCodes;

  void Literal(BitWriter& w, unsigned symbol) const {
    w.Code(literalCodes[symbol], literalLengths[symbol]);
  }
  void Distance(BitWriter& w, unsigned symbol) const {
    w.Code(distanceCodes[symbol], distanceLengths[symbol]);
  }
};

inline DynamicCodes DynamicHeader(BitWriter& w, bool final, std::vector<std::uint8_t> literals,
                                  std::vector<std::uint8_t> distances) {
  static const unsigned kOrder[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                      11, 4,  12, 3, 13, 2, 14, 1, 15};
  w.BlockHeader(final, 2);
  w.Bits(static_cast<std::uint32_t>(literals.size() - 257), 5);
  w.Bits(static_cast<std::uint32_t>(distances.size() - 1), 5);
  w.Bits(19 - 4, 4);
  for (unsigned symbol : kOrder)
    w.Bits(symbol < 16 ? 4 : 0, 3);
  // With sixteen 4-bit codes, the code of symbol s is s itself.
  for (auto len : literals)
    w.Code(len, 4);
  for (auto len : distances)
    w.Code(len, 4);
  DynamicCodes codes{literals, distances, CanonicalCodes(literals), CanonicalCodes(distances)};
  return codes;
}

}  // namespace vornel::testing
