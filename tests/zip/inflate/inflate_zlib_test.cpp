// Streams made by zlib at every level and strategy decode to their originals.
#include <zlib.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "inflate_helpers.h"
#include "zip/inflate/checksum.h"

namespace vornel {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes RawDeflate(const Bytes& data, int level, int strategy) {
  z_stream z{};
  EXPECT_EQ(deflateInit2(&z, level, Z_DEFLATED, -15, 8, strategy), Z_OK);
  Bytes out(deflateBound(&z, data.size()) + 16);
  z.next_in = const_cast<Bytef*>(data.data());
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

// Pseudo-English: words of a small vocabulary, spaces and line breaks.
Bytes Text(std::size_t size) {
  static const char* const kWords[] = {"the",    "installer", "unpacks", "archive", "of",
                                       "Vornel", "folder",    "setup",   "and",     "a",
                                       "window", "progress",  "bytes",   "stream",  "to"};
  std::mt19937 random(1);
  std::string text;
  while (text.size() < size) {
    text += kWords[random() % 15];
    text += random() % 11 == 0 ? '\n' : ' ';
  }
  return Bytes(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(size));
}

// The bytes of this test program, repeated as needed: real machine code.
Bytes Binary(std::size_t size) {
  static const Bytes all = [] {
    std::ifstream in("/proc/self/exe", std::ios::binary);
    Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    bytes.resize(std::min<std::size_t>(bytes.size(), 1 << 20));
    return bytes;
  }();
  Bytes out;
  while (out.size() < size) {
    out.insert(out.end(), all.begin(),
               all.begin() + static_cast<std::ptrdiff_t>(std::min(all.size(), size - out.size())));
  }
  return out;
}

Bytes Random(std::size_t size) {
  std::mt19937 random(2);
  Bytes out(size);
  for (auto& b : out)
    b = static_cast<std::uint8_t>(random());
  return out;
}

// Long runs and short repeats: distances 1..7 and very long matches.
Bytes Runs(std::size_t size) {
  std::mt19937 random(3);
  Bytes out;
  while (out.size() < size) {
    const std::uint8_t b = static_cast<std::uint8_t>(random());
    const std::size_t period = 1 + random() % 7;
    const std::size_t run = random() % 2000;
    for (std::size_t i = 0; i < run && out.size() < size; ++i) {
      out.push_back(static_cast<std::uint8_t>(b + i % period));
    }
  }
  return out;
}

void ExpectRoundTrip(const Bytes& data, int level, int strategy) {
  const Bytes compressed = RawDeflate(data, level, strategy);
  const auto result = testing::RunInflate(compressed);
  ASSERT_TRUE(result.ok) << result.error;
  ASSERT_EQ(result.output.size(), data.size());
  ASSERT_TRUE(result.output == data);
  ASSERT_EQ(result.checksum, ArCrc32Update(0, data.data(), data.size()));
  ASSERT_EQ(result.compressedSize, static_cast<std::int64_t>(compressed.size()));
  for (std::size_t i = 0; i + 1 < result.writes.size(); ++i)
    ASSERT_EQ(result.writes[i], 32768);
}

struct Corpus {
  const char* name;
  Bytes (*make)(std::size_t);
};
const Corpus kCorpora[] = {{"text", Text}, {"binary", Binary}, {"random", Random}, {"runs", Runs}};
const std::size_t kSizes[] = {0, 1, 257, 32767, 32768, 32769, 65535, 65536, 65537, 98304, 140000};

TEST(InflateZlibTest, EveryLevel) {
  for (const auto& corpus : kCorpora) {
    for (std::size_t size : kSizes) {
      const Bytes data = corpus.make(size);
      for (int level = 0; level <= 9; ++level) {
        SCOPED_TRACE(std::string(corpus.name) + " size " + std::to_string(size) + " level " +
                     std::to_string(level));
        ExpectRoundTrip(data, level, Z_DEFAULT_STRATEGY);
      }
    }
  }
}

TEST(InflateZlibTest, EveryStrategy) {
  const int strategies[] = {Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED};
  for (const auto& corpus : kCorpora) {
    for (std::size_t size : kSizes) {
      const Bytes data = corpus.make(size);
      for (int strategy : strategies) {
        for (int level : {1, 6, 9}) {
          SCOPED_TRACE(std::string(corpus.name) + " size " + std::to_string(size) + " strategy " +
                       std::to_string(strategy) + " level " + std::to_string(level));
          ExpectRoundTrip(data, level, strategy);
        }
      }
    }
  }
}

TEST(InflateZlibTest, ThePlainLoopDecodesAlike) {
  for (const auto& corpus : kCorpora) {
    for (std::size_t size :
         {std::size_t{0}, std::size_t{257}, std::size_t{65537}, std::size_t{140000}}) {
      const Bytes data = corpus.make(size);
      for (int strategy : {Z_DEFAULT_STRATEGY, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED}) {
        for (int level : {1, 9}) {
          SCOPED_TRACE(std::string(corpus.name) + " size " + std::to_string(size) + " strategy " +
                       std::to_string(strategy) + " level " + std::to_string(level));
          const auto plain = testing::RunPlainLoop(RawDeflate(data, level, strategy));
          ASSERT_TRUE(plain.ok) << plain.error;
          ASSERT_TRUE(plain.output == data);
        }
      }
    }
  }
}

TEST(InflateZlibTest, DamagedStreamsFailOrDecodeLikeZlib) {
  // Flipped bits in real streams: wherever zlib decodes the damaged stream to its
  // end, the inflater yields the same bytes; wherever it fails, so does the inflater.
  const Bytes data = Text(100000);
  const Bytes compressed = RawDeflate(data, 6, Z_DEFAULT_STRATEGY);
  std::mt19937 random(4);
  for (int trial = 0; trial < 200; ++trial) {
    Bytes damaged = compressed;
    damaged[random() % damaged.size()] ^= static_cast<std::uint8_t>(1u << (random() % 8));
    if (trial % 4 == 0)
      damaged.resize(random() % damaged.size());

    z_stream z{};
    ASSERT_EQ(inflateInit2(&z, -15), Z_OK);
    Bytes expected(400000);
    z.next_in = damaged.data();
    z.avail_in = static_cast<uInt>(damaged.size());
    z.next_out = expected.data();
    z.avail_out = static_cast<uInt>(expected.size());
    const bool zlibOk = inflate(&z, Z_FINISH) == Z_STREAM_END;
    expected.resize(z.total_out);
    inflateEnd(&z);

    const auto result = testing::RunInflate(damaged);
    ASSERT_EQ(result.ok, zlibOk) << trial << ": " << result.error;
    if (zlibOk) {
      ASSERT_TRUE(result.output == expected) << trial;
    }
    const auto plain = testing::RunPlainLoop(damaged);
    ASSERT_EQ(plain.ok, result.ok) << trial;
    ASSERT_EQ(plain.error, result.error) << trial;
    ASSERT_TRUE(plain.output == result.output) << trial;
  }
}

}  // namespace
}  // namespace vornel
