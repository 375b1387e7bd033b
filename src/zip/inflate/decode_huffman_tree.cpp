#include "zip/inflate/decode_huffman_tree.h"

#include <algorithm>
#include <array>

#include "zip/inflate/inflate_errors.h"
#include "zip/inflate/inflate_tables.h"

namespace vornel {

namespace {

using namespace ardf;

// Root table sizes: large enough that nearly every symbol takes one lookup, small
// enough to stay in the first-level cache.
constexpr unsigned kLiteralRootBits = 10;
constexpr unsigned kDistanceRootBits = 8;

constexpr std::uint32_t MakeEntry(unsigned value, unsigned flags, unsigned extra,
                                  unsigned codeBits) {
  return (static_cast<std::uint32_t>(value) << 16) | flags | (extra << 8) | codeBits;
}

const std::uint32_t kUnreachedEntry = MakeEntry(kUnreached, kSpecial, 0, 0);

// What a symbol's entry holds, without its code length.
std::uint32_t SymbolEntry(unsigned symbol, TArDfCodeKind kind, bool deflate64) {
  switch (kind) {
    case ckCodeLengths:
      return MakeEntry(symbol, 0, 0, 0);
    case ckLiteralLength:
      if (symbol < 256)
        return MakeEntry(symbol, kLiteral, 0, 0);
      if (symbol == kArDfEndOfBlock || symbol > 285)
        return MakeEntry(symbol, kSpecial, 0, 0);
      if (symbol == 285 && deflate64)
        return MakeEntry(kArDf64Length285Base, 0, kArDf64Length285Extra, 0);
      return MakeEntry(kArDfLengthBase[symbol - 257], 0, kArDfLengthExtra[symbol - 257], 0);
    case ckDistance:
      if (symbol >= 32 || (symbol >= 30 && !deflate64))
        return MakeEntry(symbol, kSpecial, 0, 0);
      return MakeEntry(kArDfDistanceBase[symbol], 0, kArDfDistanceExtra[symbol], 0);
  }
  return kUnreachedEntry;
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

unsigned ReverseBits(unsigned code, unsigned length) {
  unsigned reversed = 0;
  for (unsigned i = 0; i < length; ++i) {
    reversed = (reversed << 1) | (code & 1);
    code >>= 1;
  }
  return reversed;
}

}  // namespace

void TArDfDecodeHuffmanTree::Build(const std::uint8_t* lengths, unsigned count, TArDfCodeKind kind,
                                   bool deflate64) {
  std::array<unsigned, kArDfMaxCodeLength + 1> perLength{};
  FMaxCodeLen = 0;
  for (unsigned s = 0; s < count; ++s) {
    // Lengths come from 3-bit fields or from symbols 0..15, so they never exceed
    // what the code allows.
    ++perLength[lengths[s]];
    FMaxCodeLen = std::max<unsigned>(FMaxCodeLen, lengths[s]);
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

  const unsigned rootLimit = kind == ckCodeLengths     ? kArDfMaxCodeLengthCode
                             : kind == ckLiteralLength ? kLiteralRootBits
                                                       : kDistanceRootBits;
  FRootBits = std::clamp(FMaxCodeLen, 1u, rootLimit);
  const unsigned rootSize = 1u << FRootBits;

  // Canonical codes: the first code of each length follows the last of the
  // previous length; within a length, codes go in symbol order.
  std::array<unsigned, kArDfMaxCodeLength + 2> nextCode{};
  perLength[0] = 0;
  unsigned code = 0;
  for (unsigned len = 1; len <= kArDfMaxCodeLength; ++len) {
    code = (code + perLength[len - 1]) << 1;
    nextCode[len] = code;
  }
  std::array<std::uint16_t, 320> reversed{};
  std::array<std::uint8_t, 1u << kLiteralRootBits> subBits{};
  for (unsigned s = 0; s < count; ++s) {
    const unsigned len = lengths[s];
    if (len == 0)
      continue;
    reversed[s] = static_cast<std::uint16_t>(ReverseBits(nextCode[len]++, len));
    if (len > FRootBits) {
      const unsigned prefix = reversed[s] & (rootSize - 1);
      subBits[prefix] =
          static_cast<std::uint8_t>(std::max<unsigned>(subBits[prefix], len - FRootBits));
    }
  }

  // Lay out the second-level tables after the root and link them.
  std::array<std::uint16_t, 1u << kLiteralRootBits> subStart{};
  unsigned total = rootSize;
  for (unsigned prefix = 0; prefix < rootSize; ++prefix) {
    if (subBits[prefix] == 0)
      continue;
    subStart[prefix] = static_cast<std::uint16_t>(total);
    total += 1u << subBits[prefix];
  }
  // A complete code writes every entry; only the one-code and no-code sets leave
  // entries that nothing reaches.
  if (left > 0) {
    FEntries.assign(total, kUnreachedEntry);
  } else {
    FEntries.resize(total);
  }
  for (unsigned prefix = 0; prefix < rootSize; ++prefix) {
    if (subBits[prefix] != 0) {
      FEntries[prefix] = MakeEntry(subStart[prefix], kLink, subBits[prefix], FRootBits);
    }
  }

  for (unsigned s = 0; s < count; ++s) {
    const unsigned len = lengths[s];
    if (len == 0)
      continue;
    const std::uint32_t entry = SymbolEntry(s, kind, deflate64);
    if (len <= FRootBits) {
      for (unsigned i = reversed[s]; i < rootSize; i += 1u << len)
        FEntries[i] = entry | len;
    } else {
      const unsigned prefix = reversed[s] & (rootSize - 1);
      const unsigned subLen = len - FRootBits;
      const unsigned size = 1u << subBits[prefix];
      std::uint32_t* table = FEntries.data() + subStart[prefix];
      for (unsigned i = reversed[s] >> FRootBits; i < size; i += 1u << subLen) {
        table[i] = entry | subLen;
      }
    }
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
