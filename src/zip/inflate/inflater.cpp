#include "zip/inflate/inflater.h"

#include <algorithm>
#include <cstring>

#include "zip/inflate/inflate_errors.h"
#include "zip/inflate/inflate_tables.h"
#include "zip/inflate/load_le64.h"

namespace vornel {

namespace {

using namespace ardf;

const char16_t* const kNoMoreData =
    u"no more compressed data in stream [TArDfInBitStream.DiscardBits]";
const char16_t* const kBadLengthSymbol =
    u"decoded an invalid length symbol: greater than 285 [DecodeData]";
const char16_t* const kBadDistanceSymbol =
    u"decoded an invalid distance symbol: greater than 29 [DecodeData]";
const char16_t* const kUnreachedDistance =
    u"decoded a distance code that no code reaches [DecodeData]";
const char16_t* const kTooFarBack =
    u"distance reaches farther back than the bytes decoded so far [DecodeData]";

// The fast loop runs while this many input bytes are buffered: the word refills of
// one round (at most three, each reading 8 bytes and advancing at most 7) never
// read past them.
constexpr std::size_t kFastInputMargin = 32;

// Tops the bit buffer up to 56..63 bits from at least 8 buffered bytes.
inline void Refill(TArDfBitState& s) {
  s.Bits |= LoadLe64(s.Next) << s.Count;
  s.Next += (63 - s.Count) >> 3;
  s.Count |= 56;
}

inline std::uint64_t LowBits(std::uint64_t bits, unsigned n) {
  return bits & ((std::uint64_t{1} << n) - 1);
}

// Copies a match of length bytes from distance bytes back. Copies run in words and
// may write up to 15 bytes past the end; the window keeps room for that. Words are
// only used where the source never overlaps the bytes the same word writes.
inline void CopyMatch(std::uint8_t* dst, std::size_t distance, std::size_t length) {
  const std::uint8_t* src = dst - distance;
  std::uint8_t* const end = dst + length;
  if (distance >= 16) {
    do {
      std::memcpy(dst, src, 16);
      dst += 16;
      src += 16;
    } while (dst < end);
  } else if (distance >= 8) {
    do {
      std::memcpy(dst, src, 8);
      dst += 8;
      src += 8;
    } while (dst < end);
  } else if (distance == 1) {
    const std::uint64_t word = 0x0101010101010101ull * *src;
    do {
      std::memcpy(dst, &word, 8);
      dst += 8;
    } while (dst < end);
  } else {
    do {
      *dst++ = *src++;
    } while (dst < end);
  }
}

}  // namespace

void TArDfInflater::Run() {
  for (;;) {
    const bool final = FInput.ReadBit();
    switch (FInput.ReadBits(2)) {
      case 0:
        StoredBlock();
        break;
      case 1:
        DecodeData(TArDfDecodeHuffmanTree::FixedLiteralLength(FDeflate64),
                   TArDfDecodeHuffmanTree::FixedDistance(FDeflate64));
        break;
      case 2:
        DynamicBlock();
        break;
      default:
        throw TArDfDecodeError(u"starting new block, but invalid block type [Inflate]");
    }
    if (final)
      return;
  }
}

void TArDfInflater::StoredBlock() {
  FInput.AlignToByte();
  std::uint8_t header[4];
  FInput.ReadBytes(header, 4);
  const unsigned length = header[0] | (header[1] << 8);
  const unsigned notLength = header[2] | (header[3] << 8);
  if (notLength != (~length & 0xFFFF)) {
    throw TArDfDecodeError(
        u"invalid stored block (length and NOT length do not match) [InflateStoredBlock]");
  }
  std::size_t left = length;
  while (left > 0) {
    if (FOutput.Position() >= FOutput.StopAt())
      FOutput.Reached();
    const std::size_t piece = std::min(left, FOutput.StopAt() - FOutput.Position());
    FInput.ReadBytes(FOutput.Buffer() + FOutput.Position(), piece);
    FOutput.SetPosition(FOutput.Position() + piece);
    left -= piece;
  }
  if (FOutput.Position() >= FOutput.StopAt())
    FOutput.Reached();
}

void TArDfInflater::DynamicBlock() {
  const unsigned literals = FInput.ReadBits(5) + 257;
  const unsigned distances = FInput.ReadBits(5) + 1;
  const unsigned codeLengthCodes = FInput.ReadBits(4) + 4;
  if (literals > kArDfMaxLiteralCodes) {
    throw TArDfDecodeError(
        u"count of literal codes in dynamic block is greater than 286 [InflateDynamicBlock]");
  }
  if (!FDeflate64 && distances > kArDfMaxDistanceCodes) {
    throw TArDfDecodeError(
        u"count of distance codes in dynamic block is greater than 30 [InflateDynamicBlock]");
  }
  std::array<std::uint8_t, 19> codeLengths{};
  for (unsigned i = 0; i < codeLengthCodes; ++i) {
    codeLengths[kArDfCodeLengthOrder[i]] = static_cast<std::uint8_t>(FInput.ReadBits(3));
  }
  FCodeLengthTree.Build(codeLengths.data(), 19, ckCodeLengths, FDeflate64);
  ReadCodeLengths(literals + distances);
  if (FLengths[kArDfEndOfBlock] == 0) {
    throw TArDfDecodeError(u"literal/length code has no end-of-block code [InflateDynamicBlock]");
  }
  FLiteralTree.Build(FLengths.data(), literals, ckLiteralLength, FDeflate64);
  FDistanceTree.Build(FLengths.data() + literals, distances, ckDistance, FDeflate64);
  DecodeData(FLiteralTree, FDistanceTree);
}

void TArDfInflater::ReadCodeLengths(unsigned total) {
  std::fill(FLengths.begin(), FLengths.end(), 0);
  const std::uint32_t* table = FCodeLengthTree.Entries();
  const unsigned rootBits = FCodeLengthTree.RootBits();
  const unsigned maxCodeLen = FCodeLengthTree.MaxCodeLen();
  TArDfBitState& s = FInput.State();
  unsigned i = 0;
  while (i < total) {
    FInput.Need(maxCodeLen + 7);
    const std::uint32_t entry = table[LowBits(s.Bits, rootBits)];
    const unsigned symbol = Value(entry);
    const unsigned codeBits = CodeBits(entry);
    // A complete code reaches every entry, so these two guard the table only.
    if (symbol > 18) {
      throw TArDfDecodeError(u"decoded a symbol not between 0 and 18 {ReadLitDistCodeLengths}");
    }
    if (codeBits == 0 || codeBits > maxCodeLen) {
      throw TArDfDecodeError(u"decoded a code length out of range {ReadLitDistCodeLengths}");
    }
    if (symbol < 16) {
      FInput.Consume(codeBits, kNoMoreData);
      FLengths[i++] = static_cast<std::uint8_t>(symbol);
      continue;
    }
    std::uint8_t value = 0;
    unsigned repeat;
    unsigned extraBits;
    if (symbol == 16) {
      if (i == 0) {
        throw TArDfDecodeError(
            u"repeat of the previous code length as the first code length "
            u"{ReadLitDistCodeLengths}");
      }
      value = FLengths[i - 1];
      extraBits = 2;
      repeat = 3 + static_cast<unsigned>(LowBits(s.Bits >> codeBits, 2));
    } else if (symbol == 17) {
      extraBits = 3;
      repeat = 3 + static_cast<unsigned>(LowBits(s.Bits >> codeBits, 3));
    } else {
      extraBits = 7;
      repeat = 11 + static_cast<unsigned>(LowBits(s.Bits >> codeBits, 7));
    }
    FInput.Consume(codeBits + extraBits, kNoMoreData);
    if (repeat > total - i) {
      throw TArDfDecodeError(
          u"repeated code lengths run past the count of literal and distance codes "
          u"{ReadLitDistCodeLengths}");
    }
    std::fill_n(FLengths.begin() + i, repeat, value);
    i += repeat;
  }
}

void TArDfInflater::DecodeData(const TArDfDecodeHuffmanTree& literals,
                               const TArDfDecodeHuffmanTree& distances) {
  if (FDeflate64) {
    DecodeDataIn<true>(literals, distances);
  } else {
    DecodeDataIn<false>(literals, distances);
  }
}

template <bool Deflate64>
void TArDfInflater::DecodeDataIn(const TArDfDecodeHuffmanTree& literals,
                                 const TArDfDecodeHuffmanTree& distances) {
  for (;;) {
    if (FOutput.Position() >= FOutput.StopAt())
      FOutput.Reached();
    if (FInput.Available() < kFastInputMargin)
      FInput.RefillBuffer();
    const bool ended = FInput.Available() >= kFastInputMargin
                           ? DecodeFast<Deflate64>(literals, distances)
                           : DecodeOne<Deflate64>(literals, distances);
    if (ended)
      return;
  }
}

// The hot loop: bit buffer, pointers and position live in locals (byte stores to
// the window could alias members), every symbol is one root lookup, rarely two.
// Leaves at the end of the block (true), at the window's stop point or when the
// buffered input runs low (false).
template <bool Deflate64>
bool TArDfInflater::DecodeFast(const TArDfDecodeHuffmanTree& literals,
                               const TArDfDecodeHuffmanTree& distances) {
  TArDfBitState s = FInput.State();
  std::uint8_t* const window = FOutput.Buffer();
  std::size_t pos = FOutput.Position();
  const std::size_t stopAt = FOutput.StopAt();
  const std::size_t behind = FOutput.HistoryBehind();
  const std::uint32_t* const litTable = literals.Entries();
  const unsigned litRoot = literals.RootBits();
  const std::uint32_t* const distTable = distances.Entries();
  const unsigned distRoot = distances.RootBits();

  const auto fail = [&](const char16_t* message) {
    FInput.State() = s;
    FOutput.SetPosition(pos);
    throw TArDfDecodeError(message);
  };

  bool ended = false;
  // The next symbol's entry is looked up as soon as its bits are at the bottom of
  // the buffer, so that the lookup overlaps the work on the current symbol. A
  // refill only adds bits above the count and never changes those low bits.
  Refill(s);
  std::uint32_t entry = litTable[LowBits(s.Bits, litRoot)];
  while (pos < stopAt && static_cast<std::size_t>(s.End - s.Next) >= kFastInputMargin) {
    Refill(s);
    if (entry & kLink) {
      s.Bits >>= litRoot;
      s.Count -= litRoot;
      entry = litTable[Value(entry) + LowBits(s.Bits, ExtraBits(entry))];
    }
    unsigned codeBits = CodeBits(entry);
    if (entry & kLiteral) {
      // At least 41 bits remain: enough for the next literal/length code.
      s.Bits >>= codeBits;
      s.Count -= codeBits;
      window[pos++] = static_cast<std::uint8_t>(Value(entry));
      entry = litTable[LowBits(s.Bits, litRoot)];
      continue;
    }
    if (entry & kSpecial) {
      if (Value(entry) != kArDfEndOfBlock)
        fail(kBadLengthSymbol);
      s.Bits >>= codeBits;
      s.Count -= codeBits;
      ended = true;
      break;
    }
    unsigned extra = ExtraBits(entry);
    const std::size_t length = Value(entry) + LowBits(s.Bits >> codeBits, extra);
    s.Bits >>= codeBits + extra;
    s.Count -= codeBits + extra;
    if constexpr (Deflate64)
      Refill(s);

    entry = distTable[LowBits(s.Bits, distRoot)];
    if (entry & kLink) {
      s.Bits >>= distRoot;
      s.Count -= distRoot;
      entry = distTable[Value(entry) + LowBits(s.Bits, ExtraBits(entry))];
    }
    if (entry & kSpecial) {
      fail(Deflate64 && Value(entry) == kUnreached ? kUnreachedDistance : kBadDistanceSymbol);
    }
    codeBits = CodeBits(entry);
    extra = ExtraBits(entry);
    const std::size_t distance = Value(entry) + LowBits(s.Bits >> codeBits, extra);
    s.Bits >>= codeBits + extra;
    s.Count -= codeBits + extra;
    if (distance > pos + behind)
      fail(kTooFarBack);
    // Refilling may read no further than the margin checked above allows: at most
    // three word loads in this round, each advancing at most 7 bytes.
    Refill(s);
    entry = litTable[LowBits(s.Bits, litRoot)];
    CopyMatch(window + pos, distance, length);
    pos += length;
  }
  FInput.State() = s;
  FOutput.SetPosition(pos);
  return ended;
}

// One symbol near the end of the input, every consumption checked.
template <bool Deflate64>
bool TArDfInflater::DecodeOne(const TArDfDecodeHuffmanTree& literals,
                              const TArDfDecodeHuffmanTree& distances) {
  TArDfBitState& s = FInput.State();
  std::uint8_t* const window = FOutput.Buffer();
  const std::size_t pos = FOutput.Position();

  const auto lookup = [&](const TArDfDecodeHuffmanTree& tree) {
    std::uint32_t entry = tree.Entries()[LowBits(s.Bits, tree.RootBits())];
    if (entry & kLink) {
      FInput.Consume(tree.RootBits(), kNoMoreData);
      entry = tree.Entries()[Value(entry) + LowBits(s.Bits, ExtraBits(entry))];
    }
    return entry;
  };

  FInput.Need(56);
  std::uint32_t entry = lookup(literals);
  unsigned codeBits = CodeBits(entry);
  if (entry & kLiteral) {
    FInput.Consume(codeBits, kNoMoreData);
    window[pos] = static_cast<std::uint8_t>(Value(entry));
    FOutput.SetPosition(pos + 1);
    return false;
  }
  if (entry & kSpecial) {
    if (Value(entry) != kArDfEndOfBlock)
      throw TArDfDecodeError(kBadLengthSymbol);
    FInput.Consume(codeBits, kNoMoreData);
    return true;
  }
  unsigned extra = ExtraBits(entry);
  const std::size_t length = Value(entry) + LowBits(s.Bits >> codeBits, extra);
  FInput.Consume(codeBits + extra, kNoMoreData);
  FInput.Need(56);

  entry = lookup(distances);
  if (entry & kSpecial) {
    throw TArDfDecodeError(Deflate64 && Value(entry) == kUnreached ? kUnreachedDistance
                                                                   : kBadDistanceSymbol);
  }
  codeBits = CodeBits(entry);
  extra = ExtraBits(entry);
  const std::size_t distance = Value(entry) + LowBits(s.Bits >> codeBits, extra);
  FInput.Consume(codeBits + extra, kNoMoreData);
  if (distance > pos + FOutput.HistoryBehind())
    throw TArDfDecodeError(kTooFarBack);
  CopyMatch(window + pos, distance, length);
  FOutput.SetPosition(pos + length);
  return false;
}

}  // namespace vornel
