// The inflater on hand-made streams: the format's edge cases, the write sizes seen
// by the destination, the settings it reads and writes, and every error message.
#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bit_writer.h"
#include "inflate_helpers.h"
#include "zip/inflate/checksum.h"

namespace vornel {
namespace {

using testing::BitWriter;
using testing::InflateMessage;
using testing::RunInflate;
using testing::RunPlainLoop;

using Bytes = std::vector<std::uint8_t>;

Bytes RandomBytes(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  Bytes bytes(size);
  for (auto& b : bytes)
    b = static_cast<std::uint8_t>(random());
  return bytes;
}

// Stored blocks holding bytes, none of them final.
void StoredBlocks(BitWriter& w, const Bytes& bytes) {
  for (std::size_t at = 0; at < bytes.size(); at += 65535) {
    const std::size_t n = std::min<std::size_t>(65535, bytes.size() - at);
    w.BlockHeader(false, 0).Align().Bits(static_cast<std::uint32_t>(n), 16);
    w.Bits(static_cast<std::uint32_t>(~n & 0xFFFF), 16);
    w.Bytes(Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                  bytes.begin() + static_cast<std::ptrdiff_t>(at + n)));
  }
}

// A dynamic block that declares HDIST = 31: literal 'A' and end of block, distance
// symbols 0 and 30 one bit each.
Bytes Hdist31Stream() {
  BitWriter w;
  std::vector<std::uint8_t> literals(257, 0);
  literals['A'] = 1;
  literals[256] = 1;
  std::vector<std::uint8_t> distances(31, 0);
  distances[0] = 1;
  distances[30] = 1;
  const auto codes = testing::DynamicHeader(w, true, literals, distances);
  codes.Literal(w, 'A');
  codes.Literal(w, 256);
  return w.Finish();
}

// Deflate64: 'a', then length symbol 285 with extra bits 0xFFFF (65538) at distance 1.
Bytes LongestMatchStream() {
  BitWriter w;
  w.BlockHeader(true, 1).FixedLiteral('a').FixedLiteral(285).Bits(0xFFFF, 16);
  w.FixedDistance(0).FixedLiteral(256);
  return w.Finish();
}

// Deflate64: 65536 bytes of history, then 11-byte matches from distance symbol 31
// (65536 back) and 30 (49152 back).
struct FarStream {
  Bytes input, expected;
};
FarStream FarDistanceStream() {
  FarStream s;
  s.expected = RandomBytes(65536, 3);
  BitWriter w;
  StoredBlocks(w, s.expected);
  w.BlockHeader(true, 1);
  w.FixedLiteral(265).Bits(0, 1).FixedDistance(31).Bits(16383, 14);  // 11 bytes, 65536 back
  w.FixedLiteral(265).Bits(0, 1).FixedDistance(30).Bits(16383, 14);  // 11 bytes, 49152 back
  w.FixedLiteral(256);
  s.input = w.Finish();
  for (std::size_t back : {65536u, 49152u}) {
    const std::size_t from = s.expected.size() - back;
    for (std::size_t i = 0; i < 11; ++i)
      s.expected.push_back(s.expected[from + i]);
  }
  return s;
}

TEST(InflateEdgeTest, FormatEdgeCases) {
  const FarStream far = FarDistanceStream();
  struct Case {
    const char* name;
    Bytes input;
    std::int32_t options;
    Bytes expected;
    std::string error;  // internal cause; empty: success
  };
  const std::vector<Case> cases = {
      {"empty stored final block", {0x01, 0x00, 0x00, 0xFF, 0xFF}, dfc_Default, {}, ""},
      {"fixed block with only end of block", {0x03, 0x00}, dfc_Default, {}, ""},
      {"non-final first block, then the input ends",
       {0x00, 0x00, 0x00, 0xFF, 0xFF},
       dfc_Default,
       {},
       "no more compressed data in stream [TArDfInBitStream.ReadBit]"},
      {"trailing bytes ignored", {0x03, 0x00, 0xDE, 0xAD, 0xBE, 0xEF}, dfc_Default, {}, ""},
      {"HDIST 31 in deflate",
       Hdist31Stream(),
       dfc_Default,
       {},
       "count of distance codes in dynamic block is greater than 30 [InflateDynamicBlock]"},
      {"HDIST 31 in deflate64", Hdist31Stream(), dfc_Default | dfc_UseDeflate64, {'A'}, ""},
      {"deflate64 match of 65538 bytes", LongestMatchStream(), dfc_UseDeflate64, Bytes(65539, 'a'),
       ""},
      {"deflate64 distance symbols 30 and 31", far.input, dfc_UseDeflate64, far.expected, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto result = RunInflate(c.input, c.options);
    const auto plain = RunPlainLoop(c.input, c.options);
    if (c.error.empty()) {
      ASSERT_TRUE(result.ok) << result.error;
      EXPECT_EQ(result.output, c.expected);
      EXPECT_EQ(result.checksum, ArCrc32Update(0, c.expected.data(), c.expected.size()));
      EXPECT_EQ(result.normalSize, static_cast<std::int64_t>(c.expected.size()));
      ASSERT_TRUE(plain.ok) << plain.error;
      EXPECT_EQ(plain.output, c.expected);
    } else {
      EXPECT_FALSE(result.ok);
      EXPECT_EQ(result.error, InflateMessage(c.error));
      EXPECT_EQ(plain.error, InflateMessage(c.error));
    }
  }
}

TEST(InflateEdgeTest, TrailingBytesStayInTheSource) {
  // Short trailing bytes, and more trailing bytes than the 16 KiB input buffer holds.
  for (std::size_t trailing : {4u, 40000u}) {
    Bytes input = {0x4B, 0x4C, 0x4A, 0x06, 0x00};  // "abc" in a fixed block
    const Bytes junk = RandomBytes(trailing, 5);
    input.insert(input.end(), junk.begin(), junk.end());
    const auto result = RunInflate(input);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.output, (Bytes{'a', 'b', 'c'}));
    EXPECT_EQ(result.sourcePosition, 5);
    EXPECT_EQ(result.compressedSize, 5);
  }
}

TEST(InflateEdgeTest, DestinationSeesBlocksOf32768AndTheRest) {
  struct Case {
    std::size_t blockSize, blocks;
    std::int32_t options;
    std::vector<std::int64_t> writes;
  };
  const std::vector<Case> cases = {
      {35000, 2, dfc_Default, {32768, 37232}},
      {65535, 2, dfc_Default, {32768, 32768, 65534}},
      {35000, 2, dfc_UseDeflate64, {70000}},
      {65535, 3, dfc_UseDeflate64, {32768, 32768, 32768, 65535 * 3 - 3 * 32768}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.blockSize * c.blocks);
    Bytes data = RandomBytes(c.blockSize * c.blocks, 9);
    BitWriter w;
    StoredBlocks(w, data);
    w.BlockHeader(true, 1).FixedLiteral(256);
    const auto result = RunInflate(w.Finish(), c.options);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.output, data);
    EXPECT_EQ(result.writes, c.writes);
  }
}

TEST(InflateEdgeTest, SlidesTwiceAfterALongDeflate64Match) {
  // 98303 literal bytes bring the window just below its write point; two matches
  // of 65538 then carry it far past. Output must stay exact.
  Bytes data = RandomBytes(98303, 11);
  BitWriter w;
  StoredBlocks(w, data);
  w.BlockHeader(true, 1);
  for (int i = 0; i < 2; ++i) {
    w.FixedLiteral(285).Bits(0xFFFF, 16).FixedDistance(0);
    for (int k = 0; k < 65538; ++k)
      data.push_back(data.back());
  }
  w.FixedLiteral(256);
  const auto result = RunInflate(w.Finish(), dfc_UseDeflate64);
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(result.output, data);
  for (std::size_t i = 0; i + 1 < result.writes.size(); ++i)
    EXPECT_EQ(result.writes[i], 32768);
}

// The options and the sizes written back, on 100000 bytes of compressible data.
class InflateSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Bytes history = RandomBytes(1000, 13);
    BitWriter w;
    StoredBlocks(w, history);
    w.BlockHeader(true, 1);
    data = history;
    // Repeat the first 1000 bytes 99 times: length 258 matches, distance 1000.
    while (data.size() + 258 <= 100000) {
      w.FixedLiteral(285).FixedDistance(19).Bits(1000 - 769, 8);
      const std::size_t from = data.size() - 1000;
      for (int i = 0; i < 258; ++i)
        data.push_back(data[from + i]);
    }
    w.FixedLiteral(256);
    input = w.Finish();
  }
  Bytes input, data;
};

TEST_F(InflateSettingsTest, Adler32AndTestOnly) {
  auto result = RunInflate(input, dfc_Default | dfc_UseAdler32);
  ASSERT_TRUE(result.ok);
  EXPECT_EQ(result.checksum, ArAdler32Update(1, data.data(), data.size()));

  result = RunInflate(input, dfc_Default | dfc_TestOnly);
  ASSERT_TRUE(result.ok);
  EXPECT_TRUE(result.output.empty());
  EXPECT_TRUE(result.writes.empty());
  EXPECT_EQ(result.checksum, ArCrc32Update(0, data.data(), data.size()));
  EXPECT_EQ(result.normalSize, static_cast<std::int64_t>(data.size()));
  EXPECT_EQ(result.compressedSize, static_cast<std::int64_t>(input.size()));
}

TEST_F(InflateSettingsTest, PartialSizeStopsQuietly) {
  for (std::int64_t partial : {1, 1000, 5000, 70000}) {
    SCOPED_TRACE(partial);
    TMemoryStream source;
    testing::Fill(source, input);
    TMemoryStream dest;
    TArDeflateHelper settings;
    settings.SetPartialSize(partial);
    EXPECT_EQ(Inflate(source, dest, &settings), 0u);
    // The limit is capped at the window's write point; the last match may overshoot.
    const auto limit = std::min<std::int64_t>(partial, 65536);
    EXPECT_GE(dest.Size(), limit);
    EXPECT_LT(dest.Size(), limit + 258 + 1000);
    EXPECT_EQ(settings.NormalSize(), dest.Size());
    EXPECT_TRUE(std::equal(dest.Bytes().begin(), dest.Bytes().end(), data.begin()));
  }
}

TEST_F(InflateSettingsTest, ProgressAbortStopsQuietly) {
  // Enough input for several refills of the 16 KiB buffer: stored random data.
  const Bytes big = RandomBytes(100000, 17);
  BitWriter w;
  StoredBlocks(w, big);
  w.BlockHeader(true, 1).FixedLiteral(256);
  const Bytes stream = w.Finish();
  TMemoryStream source;
  testing::Fill(source, stream);
  TMemoryStream dest;
  TArDeflateHelper settings;
  settings.SetStreamSize(static_cast<std::int64_t>(stream.size()));
  std::vector<int> seen;
  settings.OnProgressStep = [&](int percent, bool& abort) {
    seen.push_back(percent);
    abort = percent >= 30;
  };
  EXPECT_EQ(Inflate(source, dest, &settings), 0u);
  ASSERT_FALSE(seen.empty());
  EXPECT_GE(seen.back(), 30);
  EXPECT_LT(dest.Size(), static_cast<std::int64_t>(big.size()));
  EXPECT_TRUE(std::equal(dest.Bytes().begin(), dest.Bytes().end(), big.begin()));

  // Without abort the percentages rise to 100 and everything is decoded.
  source.SetPosition(0);
  dest.Clear();
  seen.clear();
  settings.OnProgressStep = [&](int percent, bool&) { seen.push_back(percent); };
  EXPECT_EQ(Inflate(source, dest, &settings), ArCrc32Update(0, big.data(), big.size()));
  EXPECT_EQ(seen.back(), 100);
  EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
}

TEST_F(InflateSettingsTest, NoSettingsMeansPlainDeflate) {
  TMemoryStream source;
  testing::Fill(source, input);
  TMemoryStream dest;
  EXPECT_EQ(Inflate(source, dest), ArCrc32Update(0, data.data(), data.size()));
  EXPECT_EQ(dest.Bytes(), data);
}

TEST_F(InflateSettingsTest, SmallSourceReadsGiveTheSameResult) {
  for (std::int64_t piece : {1, 3, 7, 16, 17}) {
    testing::TrickleStream source(piece);
    testing::Fill(source, input);
    TMemoryStream dest;
    EXPECT_EQ(Inflate(source, dest), ArCrc32Update(0, data.data(), data.size()));
    EXPECT_EQ(dest.Bytes(), data);
  }
}

TEST(InflateEdgeTest, DestinationFailurePassesThrough) {
  class Refusing : public TMemoryStream {
   public:
    std::int64_t Write(const void*, std::int64_t count) override { return count / 2; }
  };
  Bytes data = RandomBytes(70000, 19);
  BitWriter w;
  StoredBlocks(w, data);
  w.BlockHeader(true, 1).FixedLiteral(256);
  TMemoryStream source;
  testing::Fill(source, w.Finish());
  Refusing dest;
  EXPECT_THROW(Inflate(source, dest), EWriteError);
}

TEST(InflateEdgeTest, BytesBeforeDamageReachTheDestination) {
  // Literal "ab", then a match 3 back of 2 bytes produced so far.
  BitWriter w;
  w.BlockHeader(true, 1).FixedLiteral('a').FixedLiteral('b').FixedLiteral(257).FixedDistance(2);
  const auto result = RunInflate(w.Finish());
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.output, (Bytes{'a', 'b'}));
}

// A complete code of count lengths of at most 15 bits, made by splitting leaves:
// half the splits deepen the newest leaf, so that some codes run past the
// decoder's first-level tables. The lengths are dealt to the symbols at random.
Bytes RandomCompleteLengths(unsigned count, std::mt19937& random) {
  Bytes leaves = {1, 1};
  while (leaves.size() < count) {
    std::size_t at = random() % 2 != 0 ? leaves.size() - 1 : random() % leaves.size();
    while (leaves[at] == 15)
      at = (at + 1) % leaves.size();
    ++leaves[at];
    leaves.push_back(leaves[at]);
  }
  std::shuffle(leaves.begin(), leaves.end(), random);
  return leaves;
}

TEST(InflateCodesTest, EveryAlphabetSizeWithCodesUpToFifteenBits) {
  // Every literal/length count, with distance counts 2..30 among them; every
  // symbol coded, codes of 1 to 15 bits placed at random. The block holds every
  // literal, then every length symbol of the code once with random extra bits, at
  // distances cycling through the distance symbols that reach into the output.
  std::mt19937 random(11);
  for (unsigned literalCount = 257; literalCount <= 286; ++literalCount) {
    const unsigned distanceCount = 2 + (literalCount * 7) % 29;
    SCOPED_TRACE(::testing::Message() << literalCount << " literal/length codes, " << distanceCount
                                      << " distance codes");
    const Bytes literals = RandomCompleteLengths(literalCount, random);
    const Bytes distances = RandomCompleteLengths(distanceCount, random);
    BitWriter w;
    const auto codes = testing::DynamicHeader(w, true, literals, distances);
    Bytes expected;
    std::vector<unsigned> order(256);
    for (unsigned i = 0; i < 256; ++i)
      order[i] = i;
    std::shuffle(order.begin(), order.end(), random);
    for (unsigned symbol : order) {
      codes.Literal(w, symbol);
      expected.push_back(static_cast<std::uint8_t>(symbol));
    }
    unsigned distanceSymbol = 0;
    for (unsigned symbol = 257; symbol < literalCount; ++symbol) {
      const unsigned k = symbol - 257;
      const unsigned lengthExtra = k < 8 || k == 28 ? 0 : k / 4 - 1;
      const unsigned lengthBase = k < 8     ? 3 + k
                                  : k == 28 ? 258
                                            : 3 + ((4 + (k & 3)) << lengthExtra);
      const unsigned lengthValue = lengthExtra == 0 ? 0 : random() % (1u << lengthExtra);
      // The next distance symbol whose nearest distance lies within the output.
      const auto distanceBase = [](unsigned d) {
        return d < 2 ? 1 + d : 1 + ((2 + (d & 1)) << (d / 2 - 1));
      };
      while (distanceBase(distanceSymbol % distanceCount) > expected.size())
        ++distanceSymbol;
      const unsigned d = distanceSymbol++ % distanceCount;
      const unsigned distanceExtra = d < 4 ? 0 : d / 2 - 1;
      const unsigned reach = static_cast<unsigned>(expected.size()) - distanceBase(d);
      const unsigned distanceValue =
          distanceExtra == 0 ? 0 : random() % std::min(1u << distanceExtra, reach + 1);
      codes.Literal(w, symbol);
      w.Bits(lengthValue, lengthExtra);
      codes.Distance(w, d);
      w.Bits(distanceValue, distanceExtra);
      const std::size_t from = expected.size() - (distanceBase(d) + distanceValue);
      for (unsigned i = 0; i < lengthBase + lengthValue; ++i)
        expected.push_back(expected[from + i]);
    }
    codes.Literal(w, 256);
    const auto result = RunInflate(w.Finish());
    EXPECT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.output, expected);
  }
}

// A dynamic header with a code-length code of the given lengths (all 19 listed);
// the caller then writes the code-length symbols itself.
std::vector<std::uint32_t> RawDynamicHeader(BitWriter& w, unsigned hlit, unsigned hdist,
                                            const std::vector<std::uint8_t>& codeLengths) {
  static const unsigned kOrder[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                      11, 4,  12, 3, 13, 2, 14, 1, 15};
  w.BlockHeader(true, 2).Bits(hlit - 257, 5).Bits(hdist - 1, 5).Bits(19 - 4, 4);
  for (unsigned symbol : kOrder)
    w.Bits(codeLengths[symbol], 3);
  return testing::CanonicalCodes(codeLengths);
}

// Code-length code giving symbols 1, 16, 17 and 18 two bits each.
std::vector<std::uint8_t> RepeatCodeLengths() {
  std::vector<std::uint8_t> lengths(19, 0);
  lengths[1] = lengths[16] = lengths[17] = lengths[18] = 2;
  return lengths;
}

Bytes DynamicWith(std::vector<std::uint8_t> literals, std::vector<std::uint8_t> distances) {
  BitWriter w;
  testing::DynamicHeader(w, true, std::move(literals), std::move(distances));
  w.Bits(0, 32);
  return w.Finish();
}

// Literal/length lengths with 'A' and end of block one bit each (complete).
std::vector<std::uint8_t> TwoLiterals() {
  std::vector<std::uint8_t> literals(257, 0);
  literals['A'] = 1;
  literals[256] = 1;
  return literals;
}

struct ErrorCase {
  const char* name;
  Bytes input;
  std::int32_t options;
  std::string cause;
};

std::vector<ErrorCase> ErrorCases() {
  std::vector<ErrorCase> cases;
  auto add = [&](const char* name, Bytes input, std::int32_t options, std::string cause) {
    cases.push_back({name, std::move(input), options, std::move(cause)});
  };
  add("block type 3", {0x07}, dfc_Default, "starting new block, but invalid block type [Inflate]");
  add("stored length check", {0x01, 0x00, 0x00, 0x00, 0x00}, dfc_Default,
      "invalid stored block (length and NOT length do not match) [InflateStoredBlock]");
  {
    BitWriter w;
    w.BlockHeader(true, 2).Bits(30, 5).Bits(0, 5).Bits(0, 4).Bits(0, 16);
    add("HLIT 287", w.Finish(), dfc_UseDeflate64,
        "count of literal codes in dynamic block is greater than 286 [InflateDynamicBlock]");
  }
  {
    BitWriter w;
    w.BlockHeader(true, 2).Bits(0, 5).Bits(31, 5).Bits(0, 4).Bits(0, 16);
    add("HDIST 32", w.Finish(), dfc_Default,
        "count of distance codes in dynamic block is greater than 30 [InflateDynamicBlock]");
  }
  {
    BitWriter w;
    w.BlockHeader(true, 1).FixedLiteral(286);
    add("length symbol 286", w.Finish(), dfc_Default,
        "decoded an invalid length symbol: greater than 285 [DecodeData]");
  }
  {
    BitWriter w;
    w.BlockHeader(true, 1).FixedLiteral(287);
    add("length symbol 287 in deflate64", w.Finish(), dfc_UseDeflate64,
        "decoded an invalid length symbol: greater than 285 [DecodeData]");
  }
  {
    BitWriter w;
    w.BlockHeader(true, 1).FixedLiteral('a').FixedLiteral(257).FixedDistance(30);
    add("distance symbol 30 in deflate", w.Finish(), dfc_Default,
        "decoded an invalid distance symbol: greater than 29 [DecodeData]");
  }
  add("input ends inside a code", {0x03}, dfc_Default,
      "no more compressed data in stream [TArDfInBitStream.DiscardBits]");
  add("empty input", {}, dfc_Default,
      "no more compressed data in stream [TArDfInBitStream.ReadBit]");
  add("input ends inside the dynamic header", {0x05}, dfc_Default,
      "no more compressed data in stream [TArDfInBitStream.ReadBits]");
  add("input ends inside stored data", {0x01, 0x0A, 0x00, 0xF5, 0xFF, 'a', 'b', 'c'}, dfc_Default,
      "no more compressed data in stream [TArDfInBitStream.ReadBuffer]");
  add("input ends inside a stored header", {0x01, 0x0A, 0x00}, dfc_Default,
      "no more compressed data in stream [TArDfInBitStream.ReadBuffer]");
  {
    BitWriter w;
    RawDynamicHeader(w, 257, 1, std::vector<std::uint8_t>(19, 1));
    add("over-subscribed code-length code", w.Finish(), dfc_Default,
        "over-subscribed code-length code in dynamic block [InflateDynamicBlock]");
  }
  {
    std::vector<std::uint8_t> lengths(19, 0);
    lengths[1] = 2;
    BitWriter w;
    RawDynamicHeader(w, 257, 1, lengths);
    add("incomplete code-length code", w.Finish(), dfc_Default,
        "incomplete code-length code in dynamic block [InflateDynamicBlock]");
  }
  {
    BitWriter w;
    const auto codes = RawDynamicHeader(w, 257, 1, RepeatCodeLengths());
    w.Code(codes[16], 2).Bits(0, 2);
    add("repeat code 16 first", w.Finish(), dfc_Default,
        "repeat of the previous code length as the first code length {ReadLitDistCodeLengths}");
  }
  {
    BitWriter w;
    const auto codes = RawDynamicHeader(w, 257, 1, RepeatCodeLengths());
    w.Code(codes[18], 2).Bits(127, 7).Code(codes[18], 2).Bits(127, 7);
    add("repeats past HLIT + HDIST", w.Finish(), dfc_Default,
        "repeated code lengths run past the count of literal and distance codes "
        "{ReadLitDistCodeLengths}");
  }
  {
    BitWriter w;
    const auto codes = RawDynamicHeader(w, 257, 1, RepeatCodeLengths());
    // 256 lengths of 1 (symbol 1 then 16 repeating it), 17 may not run past either.
    w.Code(codes[1], 2);
    for (int i = 0; i < 85; ++i)
      w.Code(codes[16], 2).Bits(0, 2);
    w.Code(codes[17], 2).Bits(0, 3);
    add("repeat code 17 past HLIT + HDIST", w.Finish(), dfc_Default,
        "repeated code lengths run past the count of literal and distance codes "
        "{ReadLitDistCodeLengths}");
  }
  {
    auto literals = TwoLiterals();
    literals['B'] = 1;
    add("over-subscribed literal/length code", DynamicWith(literals, {1}), dfc_Default,
        "over-subscribed literal/length code in dynamic block [InflateDynamicBlock]");
  }
  {
    auto literals = TwoLiterals();
    literals[256] = 2;
    add("incomplete literal/length code", DynamicWith(literals, {1}), dfc_Default,
        "incomplete literal/length code in dynamic block [InflateDynamicBlock]");
  }
  {
    std::vector<std::uint8_t> literals(257, 0);
    literals['A'] = 1;
    literals['B'] = 1;
    add("no end-of-block code", DynamicWith(literals, {1}), dfc_Default,
        "literal/length code has no end-of-block code [InflateDynamicBlock]");
  }
  add("over-subscribed distance code", DynamicWith(TwoLiterals(), {1, 1, 1}), dfc_Default,
      "over-subscribed distance code in dynamic block [InflateDynamicBlock]");
  add("incomplete distance code", DynamicWith(TwoLiterals(), {2}), dfc_Default,
      "incomplete distance code in dynamic block [InflateDynamicBlock]");
  for (bool deflate64 : {false, true}) {
    // 'A' 1 bit, end of block and length 3 two bits each; one distance code of one
    // bit, then the distance code that no entry reaches.
    std::vector<std::uint8_t> literals(258, 0);
    literals['A'] = 1;
    literals[256] = 2;
    literals[257] = 2;
    BitWriter w;
    const auto codes = testing::DynamicHeader(w, true, literals, {1});
    codes.Literal(w, 'A');
    codes.Literal(w, 257);
    w.Code(1, 1);
    if (deflate64) {
      add("unreached distance code in deflate64", w.Finish(), dfc_UseDeflate64,
          "decoded a distance code that no code reaches [DecodeData]");
    } else {
      add("unreached distance code in deflate", w.Finish(), dfc_Default,
          "decoded an invalid distance symbol: greater than 29 [DecodeData]");
    }
  }
  {
    BitWriter w;
    w.BlockHeader(true, 1).FixedLiteral('a').FixedLiteral(257).FixedDistance(1);
    add("distance past the start", w.Finish(), dfc_Default,
        "distance reaches farther back than the bytes decoded so far [DecodeData]");
  }
  {
    // In a second block, still farther back than everything produced.
    BitWriter w;
    w.BlockHeader(false, 1).FixedLiteral('a').FixedLiteral(256);
    w.BlockHeader(true, 1).FixedLiteral(258).FixedDistance(2).Bits(0, 16);
    add("distance past the start, second block", w.Finish(), dfc_UseDeflate64,
        "distance reaches farther back than the bytes decoded so far [DecodeData]");
  }
  return cases;
}

TEST(InflateErrorTest, EveryMessage) {
  for (const auto& c : ErrorCases()) {
    SCOPED_TRACE(c.name);
    // Whole input at once, and one byte per read (the careful path near the end).
    const auto result = RunInflate(c.input, c.options);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, InflateMessage(c.cause));
    const auto plain = RunPlainLoop(c.input, c.options);
    EXPECT_EQ(plain.error, InflateMessage(c.cause));
    EXPECT_EQ(plain.output, result.output);

    testing::TrickleStream source(1);
    testing::Fill(source, c.input);
    TMemoryStream dest;
    TArDeflateHelper settings;
    settings.SetOptions(c.options);
    try {
      Inflate(source, dest, &settings);
      ADD_FAILURE() << "no error";
    } catch (const EArInflateError& e) {
      EXPECT_EQ(std::string(e.what()), InflateMessage(c.cause));
    }
  }
}

}  // namespace
}  // namespace vornel
