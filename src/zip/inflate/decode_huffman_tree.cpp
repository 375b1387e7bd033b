#include "zip/inflate/decode_huffman_tree.h"

#include <algorithm>
#include <array>

#include "zip/inflate/inflate_errors.h"
#include "zip/inflate/inflate_tables.h"

namespace vornel {

namespace {

using namespace ardf;

// An entry without its code length: the extra bits stand in the consumed-bits field
// until the code length is added (AddCode).
constexpr std::uint32_t MakeEntry(unsigned value, unsigned flags, unsigned extra) {
  return (static_cast<std::uint32_t>(value) << 16) | flags | extra;
}

constexpr std::uint32_t MakeLink(unsigned target, unsigned tableBits, unsigned rootBits) {
  return (static_cast<std::uint32_t>(target) << 16) | kLink | (tableBits << 8) | rootBits;
}

constexpr std::uint32_t kUnreachedEntry = MakeEntry(kUnreached, kSpecial, 0);

constexpr std::uint32_t LengthEntry(unsigned base, unsigned extra) {
  return (static_cast<std::uint32_t>(base) << kLengthBaseShift) | (kDistanceRootBits << 8) | extra;
}

// What a symbol's entry holds without its code length, and what each bit of the
// code adds to it: one to the consumed bits and, but in a literal's entry, one to
// the code bits, which a length's entry holds higher up.
struct TSymbolEntry {
  std::uint32_t entry;
  std::uint32_t perCodeBit;
};

constexpr TSymbolEntry SymbolEntry(unsigned symbol, TArDfCodeKind kind, bool deflate64) {
  constexpr std::uint32_t kPlain = (1u << 8) + 1;
  constexpr std::uint32_t kLength = (1u << kLengthCodeShift) + 1;
  switch (kind) {
    case ckCodeLengths:
      // The repeat symbols carry their count's extra bits.
      return {MakeEntry(symbol, 0,
                        symbol == 16   ? 2
                        : symbol == 17 ? 3
                        : symbol == 18 ? 7
                                       : 0),
              kPlain};
    case ckLiteralLength:
      if (symbol < 256)
        return {MakeEntry(symbol, kLiteral | (kLiteralRootBits << 8), 0), 1};
      if (symbol == kArDfEndOfBlock || symbol > 285)
        return {MakeEntry(symbol, kSpecial, 0), kPlain};
      if (symbol == 285 && deflate64)
        return {LengthEntry(kArDf64Length285Base, kArDf64Length285Extra), kLength};
      return {LengthEntry(kArDfLengthBase[symbol - 257], kArDfLengthExtra[symbol - 257]), kLength};
    case ckDistance:
      if (symbol >= 32 || (symbol >= 30 && !deflate64))
        return {MakeEntry(symbol, kSpecial, 0), kPlain};
      return {MakeEntry(kArDfDistanceBase[symbol], 0, kArDfDistanceExtra[symbol]), kPlain};
  }
  return {kUnreachedEntry, kPlain};
}

// The entry of a symbol's code of codeBits bits at its level.
constexpr std::uint32_t AddCode(const TSymbolEntry& symbol, unsigned codeBits) {
  return symbol.entry + symbol.perCodeBit * codeBits;
}

// The entries of every symbol of a kind, made at compile time.
template <TArDfCodeKind Kind, bool Deflate64>
constexpr std::array<TSymbolEntry, 288> MakeSymbolEntries() {
  std::array<TSymbolEntry, 288> entries{};
  for (unsigned s = 0; s < entries.size(); ++s)
    entries[s] = SymbolEntry(s, Kind, Deflate64);
  return entries;
}

constexpr std::array<std::array<TSymbolEntry, 288>, 5> kSymbolEntries = {
    MakeSymbolEntries<ckCodeLengths, false>(), MakeSymbolEntries<ckLiteralLength, false>(),
    MakeSymbolEntries<ckLiteralLength, true>(), MakeSymbolEntries<ckDistance, false>(),
    MakeSymbolEntries<ckDistance, true>()};

const TSymbolEntry* SymbolEntries(TArDfCodeKind kind, bool deflate64) {
  switch (kind) {
    case ckCodeLengths:
      return kSymbolEntries[0].data();
    case ckLiteralLength:
      return kSymbolEntries[deflate64 ? 2 : 1].data();
    case ckDistance:
      break;
  }
  return kSymbolEntries[deflate64 ? 4 : 3].data();
}

const char16_t* OverSubscribedMessage(TArDfCodeKind kind) {
  switch (kind) {
    case ckCodeLengths:
      return u"over-subscribed code-length code in dynamic block [InflateDynamicBlock]";
    case ckLiteralLength:
      return u"over-subscribed literal/length code in dynamic block [InflateDynamicBlock]";
    case ckDistance:
      break;
  }
  return u"over-subscribed distance code in dynamic block [InflateDynamicBlock]";
}

const char16_t* IncompleteMessage(TArDfCodeKind kind) {
  switch (kind) {
    case ckCodeLengths:
      return u"incomplete code-length code in dynamic block [InflateDynamicBlock]";
    case ckLiteralLength:
      return u"incomplete literal/length code in dynamic block [InflateDynamicBlock]";
    case ckDistance:
      break;
  }
  return u"incomplete distance code in dynamic block [InflateDynamicBlock]";
}

// The bytes with their bits in reverse order.
constexpr std::array<std::uint8_t, 256> MakeReversedBytes() {
  std::array<std::uint8_t, 256> reversed{};
  for (unsigned b = 0; b < 256; ++b) {
    unsigned r = 0;
    for (unsigned bit = 0; bit < 8; ++bit)
      r |= ((b >> bit) & 1u) << (7 - bit);
    reversed[b] = static_cast<std::uint8_t>(r);
  }
  return reversed;
}

constexpr std::array<std::uint8_t, 256> kReversedBytes = MakeReversedBytes();

// A code of length bits (1 to 15), bit-reversed.
inline unsigned Reversed(unsigned code, unsigned length) {
  const unsigned both = (static_cast<unsigned>(kReversedBytes[code & 0xFF]) << 8) |
                        kReversedBytes[(code >> 8) & 0xFF];
  return both >> (16 - length);
}

}  // namespace

void TArDfDecodeHuffmanTree::Build(const std::uint8_t* lengths, unsigned count, TArDfCodeKind kind,
                                   bool deflate64) {
  // Lengths come from 3-bit fields or from symbols 0..15, so they never exceed
  // what the code allows. The symbols are counted, and later placed, in kParts
  // parts at once, each with counters of its own: neighbours often share a length,
  // and one set of counters would make each increment wait on the store of the
  // one before.
  constexpr unsigned kParts = 8;
  const unsigned part = count / kParts;  // the last part runs to count
  using PerLength = std::array<unsigned, kArDfMaxCodeLength + 1>;
  std::array<PerLength, kParts> counts{};
  for (unsigned i = 0; i < part; ++i) {
    for (unsigned p = 0; p < kParts; ++p)
      ++counts[p][lengths[p * part + i]];
  }
  for (unsigned i = kParts * part; i < count; ++i)
    ++counts[kParts - 1][lengths[i]];
  PerLength perLength{};
  for (unsigned p = 0; p < kParts; ++p) {
    for (unsigned len = 0; len <= kArDfMaxCodeLength; ++len)
      perLength[len] += counts[p][len];
  }
  FMaxCodeLen = 0;
  for (unsigned len = 1; len <= kArDfMaxCodeLength; ++len) {
    if (perLength[len] != 0)
      FMaxCodeLen = len;
  }

  // The Kraft sum: each length may use only what the shorter ones left free.
  int left = 1;
  for (unsigned len = 1; len <= kArDfMaxCodeLength; ++len) {
    left = (left << 1) - static_cast<int>(perLength[len]);
    if (left < 0)
      throw TArDfDecodeError(OverSubscribedMessage(kind));
  }
  if (left > 0 && (kind == ckCodeLengths || FMaxCodeLen > 1)) {
    throw TArDfDecodeError(IncompleteMessage(kind));
  }

  FRootBits = kind == ckCodeLengths     ? kArDfMaxCodeLengthCode
              : kind == ckLiteralLength ? kLiteralRootBits
                                        : kDistanceRootBits;
  const unsigned rootBits = FRootBits;
  const unsigned rootSize = 1u << rootBits;

  // The symbols in canonical order (by length, then by symbol), after those of
  // length 0, which are left out. Each part places its symbols of a length after
  // those of the parts before it.
  std::array<PerLength, kParts> place;
  {
    PerLength start;
    unsigned at = 0;
    for (unsigned len = 0; len <= kArDfMaxCodeLength; ++len) {
      start[len] = at;
      at += perLength[len];
    }
    for (unsigned p = 0; p < kParts; ++p) {
      for (unsigned len = 0; len <= kArDfMaxCodeLength; ++len) {
        place[p][len] = start[len];
        start[len] += counts[p][len];
      }
    }
  }
  std::array<std::uint16_t, 320> sorted;
  for (unsigned i = 0; i < part; ++i) {
    for (unsigned p = 0; p < kParts; ++p) {
      const unsigned symbol = p * part + i;
      sorted[place[p][lengths[symbol]]++] = static_cast<std::uint16_t>(symbol);
    }
  }
  for (unsigned i = kParts * part; i < count; ++i)
    sorted[place[kParts - 1][lengths[i]]++] = static_cast<std::uint16_t>(i);
  const std::uint16_t* const canonical = sorted.data() + perLength[0];
  const unsigned coded = count - perLength[0];

  // Their codes, bit-reversed since codes arrive least significant bit first: the
  // first code of a length follows the last of the shorter ones with a zero
  // appended, and the codes of a length count up from it.
  std::array<std::uint16_t, 320> reversed;
  {
    unsigned code = 0;
    unsigned k = 0;
    for (unsigned len = 1; len <= FMaxCodeLen; ++len) {
      code <<= 1;
      for (unsigned n = 0; n < perLength[len]; ++n)
        reversed[k + n] = static_cast<std::uint16_t>(Reversed(code + n, len));
      code += perLength[len];
      k += perLength[len];
    }
  }
  unsigned firstLong = 0;  // the first symbol in canonical order longer than the root
  for (unsigned len = 1; len <= rootBits; ++len)
    firstLong += perLength[len];

  // Codes longer than the root share a second-level table per root prefix. In
  // canonical order the prefixes of such codes never decrease, so each table's
  // codes are consecutive and the last of them is its longest.
  unsigned total = rootSize;
  for (unsigned k = firstLong; k < coded;) {
    const unsigned prefix = reversed[k] & (rootSize - 1);
    unsigned last = k;
    while (last + 1 < coded && (reversed[last + 1] & (rootSize - 1)) == prefix)
      ++last;
    total += 1u << (lengths[canonical[last]] - rootBits);
    k = last + 1;
  }
  // Bounded by kMaxTableEntries for every code the checks above let through.
  if (total > FEntries.size())
    throw TArDfDecodeError(OverSubscribedMessage(kind));
  std::uint32_t* const table = FEntries.data();
  const TSymbolEntry* const symbols = SymbolEntries(kind, deflate64);

  // The root: every code of length len fills its one entry of a table of 2^len
  // entries, which is then doubled, so that each shorter code repeats across all
  // the entries it prefixes. Entries that no code reaches (only in the one-code
  // and no-code sets) start as unreached and stay so.
  table[0] = table[1] = kUnreachedEntry;
  unsigned k = 0;
  for (unsigned len = 1, size = 2; len <= rootBits; ++len) {
    if (len > 1) {
      std::copy_n(table, size, table + size);
      size *= 2;
    }
    for (unsigned n = perLength[len]; n > 0; --n, ++k)
      table[reversed[k]] = AddCode(symbols[canonical[k]], len);
  }

  // The second-level tables, laid out after the root in prefix order.
  unsigned next = rootSize;
  while (k < coded) {
    const unsigned prefix = reversed[k] & (rootSize - 1);
    unsigned last = k;
    while (last + 1 < coded && (reversed[last + 1] & (rootSize - 1)) == prefix)
      ++last;
    const unsigned tableBits = lengths[canonical[last]] - rootBits;
    const unsigned size = 1u << tableBits;
    table[prefix] = MakeLink(next, tableBits, rootBits);
    std::uint32_t* const sub = table + next;
    for (; k <= last; ++k) {
      const unsigned subLen = lengths[canonical[k]] - rootBits;
      const std::uint32_t entry = AddCode(symbols[canonical[k]], subLen);
      for (unsigned i = reversed[k] >> rootBits; i < size; i += 1u << subLen)
        sub[i] = entry;
    }
    next += size;
  }
}

namespace {

TArDfDecodeHuffmanTree MakeFixed(TArDfCodeKind kind, bool deflate64) {
  std::array<std::uint8_t, 288> lengths{};
  unsigned count = 32;
  if (kind == ckLiteralLength) {
    count = 288;
    std::fill(lengths.begin(), lengths.begin() + 144, 8);
    std::fill(lengths.begin() + 144, lengths.begin() + 256, 9);
    std::fill(lengths.begin() + 256, lengths.begin() + 280, 7);
    std::fill(lengths.begin() + 280, lengths.begin() + 288, 8);
  } else {
    std::fill(lengths.begin(), lengths.begin() + 32, 5);
  }
  TArDfDecodeHuffmanTree tree;
  tree.Build(lengths.data(), count, kind, deflate64);
  return tree;
}

}  // namespace

const TArDfDecodeHuffmanTree& TArDfDecodeHuffmanTree::FixedLiteralLength(bool deflate64) {
  static const TArDfDecodeHuffmanTree deflate = MakeFixed(ckLiteralLength, false);
  static const TArDfDecodeHuffmanTree enhanced = MakeFixed(ckLiteralLength, true);
  return deflate64 ? enhanced : deflate;
}

const TArDfDecodeHuffmanTree& TArDfDecodeHuffmanTree::FixedDistance(bool deflate64) {
  static const TArDfDecodeHuffmanTree deflate = MakeFixed(ckDistance, false);
  static const TArDfDecodeHuffmanTree enhanced = MakeFixed(ckDistance, true);
  return deflate64 ? enhanced : deflate;
}

}  // namespace vornel
