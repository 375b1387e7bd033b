// A canonical Huffman decode table: a root table indexed by the next RootBits input
// bits (least significant bit first), with second-level tables for longer codes.
#pragma once

#include <array>
#include <cstdint>

namespace vornel {

enum TArDfCodeKind { ckCodeLengths, ckLiteralLength, ckDistance };

// One table entry, laid out so that the decoding loop takes a whole step from it:
//   bits 0..7   bits the entry consumes: its code at this level and the extra bits
//               that follow it (a link: the root bits)
//   bits 8..11  bits of the code alone at its level (a link: the index bits of its
//               table); the extra bits are the consumed bits above these
//   bit 13      link to a second-level table at entry index `value`
//   bit 14      special: end of block (value 256) or a symbol that may not occur
//               (value = the symbol, 0xFFFF where no code reaches the entry)
//   bits 16..31 value: base distance, code-length symbol, link target or special
//               symbol
// The entries of literals and lengths are laid out otherwise, so that their low
// half is the start and length of the next root index in the bits (both root
// sizes are below 16, so the link and special flags read clear):
//   bits 0..7   bits the entry consumes (a length: its code and extra bits)
//   bits 8..15  the root bits of the table that the next index reads: the
//               literal/length root after a literal, the distance root after a
//               length
//   bits 16..23 a literal's byte
//   bits 16..21 a length's code bits alone (at most 15)
//   bits 22..30 a length's base
//   bit 31      literal (never set in any other literal/length entry)
namespace ardf {
constexpr std::uint32_t kLiteral = 1u << 31;
constexpr unsigned kLengthCodeShift = 16;
constexpr unsigned kLengthBaseShift = 22;
constexpr std::uint32_t kLink = 1u << 13;
constexpr std::uint32_t kSpecial = 1u << 14;
constexpr std::uint32_t kUnreached = 0xFFFFu;

// Root table sizes, the same for every table of a kind: large enough that nearly
// every symbol takes one lookup, small enough to stay in the first-level cache.
constexpr unsigned kLiteralRootBits = 11;
constexpr unsigned kDistanceRootBits = 8;

// Entries of the largest table. Every second-level table of a complete code holds
// at least two codes, so a literal/length table (288 symbols, 11 root bits, codes
// up to 15 bits) has at most 144 second-level tables of 16 entries beside its root;
// a distance table (32 symbols, 8 root bits) needs at most 256 + 16 * 128.
constexpr std::size_t kMaxTableEntries = (1u << kLiteralRootBits) + 144 * 16;

inline unsigned TotalBits(std::uint32_t entry) {
  return entry & 0xFF;
}
inline unsigned CodeBits(std::uint32_t entry) {
  return (entry >> 8) & 0xF;
}
inline unsigned ExtraBits(std::uint32_t entry) {
  return TotalBits(entry) - CodeBits(entry);
}
inline unsigned LinkBits(std::uint32_t entry) {
  return CodeBits(entry);
}
inline unsigned Value(std::uint32_t entry) {
  return entry >> 16;
}
inline std::uint8_t LiteralByte(std::uint32_t entry) {
  return static_cast<std::uint8_t>(entry >> 16);
}
inline unsigned LengthBase(std::uint32_t entry) {
  return entry >> kLengthBaseShift;
}
// With bits above the code bits, all clear among the low six.
inline unsigned LengthCodeField(std::uint32_t entry) {
  return entry >> kLengthCodeShift;
}
inline unsigned LengthCodeBits(std::uint32_t entry) {
  return LengthCodeField(entry) & 0x3F;
}
}  // namespace ardf

class TArDfDecodeHuffmanTree {
 public:
  // Builds the table from the code lengths of count symbols. A set of lengths that
  // over-subscribes the code space is refused, and so is an incomplete one, except
  // for a literal/length or distance code with a single code of one bit or with no
  // codes at all. deflate64 selects the meaning of length symbol 285 and of
  // distance symbols 30 and 31. Raises TArDfDecodeError.
  void Build(const std::uint8_t* lengths, unsigned count, TArDfCodeKind kind, bool deflate64);

  const std::uint32_t* Entries() const { return FEntries.data(); }
  // kLiteralRootBits, kDistanceRootBits or, for the code-length code, 7.
  unsigned RootBits() const { return FRootBits; }
  // The longest code present.
  unsigned MaxCodeLen() const { return FMaxCodeLen; }

  // The fixed-code tables, built once and shared.
  static const TArDfDecodeHuffmanTree& FixedLiteralLength(bool deflate64);
  static const TArDfDecodeHuffmanTree& FixedDistance(bool deflate64);

 private:
  // Held in place, so that a stream's tables cost no allocation; Build writes every
  // entry a lookup can reach before any is read.
  std::array<std::uint32_t, ardf::kMaxTableEntries> FEntries;
  unsigned FRootBits = 0;
  unsigned FMaxCodeLen = 0;
};

}  // namespace vornel
