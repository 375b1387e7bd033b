#include "zip/inflate/inflater.h"

#include <algorithm>
#include <cstring>

#include "zip/inflate/decode_loop.h"
#include "zip/inflate/inflate_errors.h"
#include "zip/inflate/inflate_tables.h"

namespace vornel {

using namespace ardf;

bool ArDfProcessorHasBmi2() {
#if defined(__x86_64__) || defined(__i386__)
  static const bool has = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("bmi") != 0 && __builtin_cpu_supports("bmi2") != 0;
  }();
  return has;
#else
  return false;
#endif
}

TArDfInflater::TArDfInflater(TArDfInBitStream& input, TArDfOutputWindow& output, bool deflate64,
                             bool bmi2)
    : FInput(input), FOutput(output), FDeflate64(deflate64), FBmi2(bmi2) {}

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
  const std::uint32_t* table = FCodeLengthTree.Entries();
  const unsigned rootBits = FCodeLengthTree.RootBits();
  const unsigned maxCodeLen = FCodeLengthTree.MaxCodeLen();
  // The reader's state in locals: the stores of the lengths could alias it.
  TArDfBitState& s = FInput.State();
  std::uint64_t bits = s.Bits;
  unsigned count = s.Count;
  const std::uint8_t* next = s.Next;
  const std::uint8_t* end = s.End;
  const auto store = [&] {
    s.Bits = bits;
    s.Count = count;
    s.Next = next;
  };
  const auto fail = [&](const char16_t* message) {
    store();
    throw TArDfDecodeError(message);
  };
  const auto consume = [&](unsigned n) {
    if (n > count)
      fail(kNoMoreData);
    bits >>= n;
    count -= n;
  };
  std::uint8_t* const lengths = FLengths.data();
  unsigned previous = 0;
  unsigned i = 0;
  // A symbol with its extra bits.
  constexpr unsigned kLongest = kArDfMaxCodeLengthCode + 7;
  while (i < total) {
    std::uint32_t entry;
    if (count >= kLongest && end - next >= 8) {
      // The lookup first, off the refill's way: a word at once, as the reader's
      // own refill does.
      entry = table[LowBits(bits, rootBits)];
      bits |= LoadLe64(next) << count;
      next += (63 - count) >> 3;
      count |= 56;
    } else {
      store();
      FInput.Need(kLongest);
      bits = s.Bits;
      count = s.Count;
      next = s.Next;
      end = s.End;
      entry = table[LowBits(bits, rootBits)];
    }
    const unsigned symbol = Value(entry);
    // A complete code reaches every entry, so these two guard the table only.
    if (symbol > 18)
      fail(u"decoded a symbol not between 0 and 18 {ReadLitDistCodeLengths}");
    if (CodeBits(entry) == 0 || CodeBits(entry) > maxCodeLen)
      fail(u"decoded a code length out of range {ReadLitDistCodeLengths}");
    if (symbol == 16 && i == 0) {
      fail(
          u"repeat of the previous code length as the first code length "
          u"{ReadLitDistCodeLengths}");
    }
    // Every symbol is a run: a length once, or a repeat with its extra bits.
    static constexpr std::uint8_t kRunBase[19] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
                                                  1, 1, 1, 1, 1, 1, 3, 3, 11};
    const unsigned repeat =
        kRunBase[symbol] +
        static_cast<unsigned>(LowBits(bits, TotalBits(entry)) >> CodeBits(entry));
    consume(TotalBits(entry));
    if (repeat > total - i) {
      fail(
          u"repeated code lengths run past the count of literal and distance codes "
          u"{ReadLitDistCodeLengths}");
    }
    const unsigned value = symbol < 16 ? symbol : symbol == 16 ? previous : 0;
    // Two words cover most runs, without a branch on the kind of symbol; FLengths
    // has room for their overshoot.
    const std::uint64_t word = 0x0101010101010101ull * value;
    std::memcpy(lengths + i, &word, 8);
    std::memcpy(lengths + i + 8, &word, 8);
    if (repeat > 16) [[unlikely]]
      std::memset(lengths + i + 16, static_cast<int>(value), repeat - 16);
    previous = value;
    i += repeat;
  }
  store();
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
    bool ended;
    if (FInput.Available() >= kFastInputMargin) {
      ended = DecodeFast<Deflate64, false>(literals, distances);
    } else if (FInput.AtEnd()) {
      ended = DecodeFast<Deflate64, true>(literals, distances);
    } else {
      ended = DecodeOne<Deflate64>(literals, distances);
    }
    if (ended)
      return;
  }
}

namespace {

template <bool Deflate64, bool Checked>
bool DecodeRounds(TArDfBitState& state, TArDfOutputWindow& output,
                  const TArDfDecodeHuffmanTree& literals, const TArDfDecodeHuffmanTree& distances) {
  return DecodeLoop<Deflate64, Checked, false>(state, output, literals, distances);
}

#if defined(__x86_64__) || defined(__i386__)
// The same loop, compiled for processors with BMI1 and BMI2.
template <bool Deflate64, bool Checked>
__attribute__((target("bmi,bmi2"))) bool DecodeRoundsBmi2(TArDfBitState& state,
                                                          TArDfOutputWindow& output,
                                                          const TArDfDecodeHuffmanTree& literals,
                                                          const TArDfDecodeHuffmanTree& distances) {
  return DecodeLoop<Deflate64, Checked, true>(state, output, literals, distances);
}

#endif

}  // namespace

template <bool Deflate64, bool Checked>
bool TArDfInflater::DecodeFast(const TArDfDecodeHuffmanTree& literals,
                               const TArDfDecodeHuffmanTree& distances) {
#if defined(__x86_64__) || defined(__i386__)
  if (FBmi2)
    return DecodeRoundsBmi2<Deflate64, Checked>(FInput.State(), FOutput, literals, distances);
#endif
  return DecodeRounds<Deflate64, Checked>(FInput.State(), FOutput, literals, distances);
}

// One symbol near the end of the buffered input while the source may still have
// more, every consumption checked.
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
      entry = tree.Entries()[Value(entry) + LowBits(s.Bits, LinkBits(entry))];
    }
    return entry;
  };
  const auto value = [&](std::uint32_t entry, unsigned base, unsigned codeBits) {
    const std::size_t v = base + LowBits(s.Bits >> codeBits, TotalBits(entry) - codeBits);
    FInput.Consume(TotalBits(entry), kNoMoreData);
    return v;
  };

  FInput.Need(56);
  std::uint32_t entry = lookup(literals);
  if (entry & kLiteral) {
    FInput.Consume(TotalBits(entry), kNoMoreData);
    window[pos] = LiteralByte(entry);
    FOutput.SetPosition(pos + 1);
    return false;
  }
  if (entry & kSpecial) {
    if (Value(entry) != kArDfEndOfBlock)
      throw TArDfDecodeError(kBadLengthSymbol);
    FInput.Consume(TotalBits(entry), kNoMoreData);
    return true;
  }
  const std::size_t length = value(entry, LengthBase(entry), LengthCodeBits(entry));
  FInput.Need(56);

  entry = lookup(distances);
  if (entry & kSpecial) {
    throw TArDfDecodeError(Deflate64 && Value(entry) == kUnreached ? kUnreachedDistance
                                                                   : kBadDistanceSymbol);
  }
  const std::size_t distance = value(entry, Value(entry), CodeBits(entry));
  if (distance > pos)
    throw TArDfDecodeError(kTooFarBack);
  CopyMatch(window + pos, distance, length);
  FOutput.SetPosition(pos + length);
  return false;
}

}  // namespace vornel
