#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "platform/memory_stream.h"
#include "support/temp_dir.h"
#include "zip/methods/explode.h"
#include "zip/methods/legacy_error.h"
#include "zip/methods/unreduce.h"
#include "zip/methods/unshrink.h"
#include "zip/methods/xz_decoder.h"
#include "zip/methods/zstd_decoder.h"
#include "zip_test_support.h"

namespace vornel {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileBytes;
using testing::TTempDir;
using testing::WriteFileBytes;
using Bytes = std::vector<std::uint8_t>;

// The one item of a single-item archive, read from its local header.
struct TItem {
  unsigned Flags = 0;
  unsigned Method = 0;
  Bytes Packed;
  std::int64_t Size = 0;
};

unsigned U16(const Bytes& b, std::size_t at) {
  return b.at(at) | (b.at(at + 1) << 8);
}
std::uint32_t U32(const Bytes& b, std::size_t at) {
  return U16(b, at) | (U16(b, at + 2) << 16);
}

TItem FirstItem(const fs::path& archive) {
  const Bytes zip = ReadFileBytes(archive);
  TItem item;
  item.Flags = U16(zip, 6);
  item.Method = U16(zip, 8);
  item.Size = U32(zip, 22);
  const std::size_t data = 30 + U16(zip, 26) + U16(zip, 28);
  item.Packed.assign(zip.begin() + static_cast<std::ptrdiff_t>(data),
                     zip.begin() + static_cast<std::ptrdiff_t>(data + U32(zip, 18)));
  return item;
}

// Decodes an item with the decoder its method names.
Bytes Decode(const TItem& item, const Bytes& packed, std::int64_t size) {
  TMemoryStream in, out;
  in.WriteBuffer(packed.data(), static_cast<std::int64_t>(packed.size()));
  in.SetPosition(0);
  if (item.Method == 1) {
    ArUnshrink(in, out, size);
  } else if (item.Method >= 2 && item.Method <= 5) {
    ArUnreduce(in, out, size, static_cast<int>(item.Method) - 1);
  } else if (item.Method == 6) {
    ArExplode(in, out, size, (item.Flags & 2) != 0, (item.Flags & 4) != 0);
  } else if (item.Method == 95) {
    ArUnxz(in, out, size);
  } else if (item.Method == 93) {
    ArUnzstd(in, out, size);
  } else {
    ADD_FAILURE() << "no decoder for method " << item.Method;
  }
  return out.Bytes();
}
Bytes Decode(const TItem& item) {
  return Decode(item, item.Packed, item.Size);
}

// The inputs of the recipe legacy-methods, which reach the methods' corners:
// long text (the shrink table fills and is cleared, codes widen to 13 bits),
// machine code, runs longer than any copy, many 0x90 bytes (the reduce escape),
// one byte.
const char* const kInputs[] = {"text", "code", "runs", "one"};

struct TMethod {
  const char* Name;
  bool UnzipReads;  // Info-ZIP unzip of this machine decodes the method
};

const TMethod kMethods[] = {
    {"shrink", true},     {"reduce1", false},   {"reduce2", false},
    {"reduce3", false},   {"reduce4", false},   {"implode4k2", true},
    {"implode4k3", true}, {"implode8k2", true}, {"implode8k3", true},
};

// Archives of the project's encoder (the recipe legacy-methods), made on first
// use once for the whole suite.
class LegacyMethodsTest : public ::testing::Test {
 protected:
  static void TearDownTestSuite() {
    delete FDir;
    FDir = nullptr;
  }

  static const fs::path& Made() {
    if (!FDir) {
      FDir = new TTempDir;
      ziptest::MakeArchives("legacy-methods", FDir->Path());
    }
    return FDir->Path();
  }
  static Bytes Input(const char* name) { return ReadFileBytes(Made() / name); }
  // The archive of one method over one input.
  static fs::path Encoded(const TMethod& method, const char* input) {
    return Made() / (std::string(method.Name) + "-" + input + ".zip");
  }

  static TTempDir* FDir;
};

TTempDir* LegacyMethodsTest::FDir = nullptr;

TEST_F(LegacyMethodsTest, ArchivesOfOtherToolsDecode) {
  const fs::path legacy = ziptest::FixtureDir() / "zip-legacy";
  const Bytes expected = ReadFileBytes(legacy / "first.txt");
  for (const char* name : {"shrink.zip", "reduce.zip", "implode.zip"}) {
    EXPECT_EQ(Decode(FirstItem(legacy / name)), expected) << name;
  }
}

TEST_F(LegacyMethodsTest, EveryVariantDecodesWhatTheEncoderWrote) {
  for (const char* input : kInputs) {
    const Bytes original = Input(input);
    ASSERT_FALSE(original.empty());
    for (const auto& method : kMethods) {
      SCOPED_TRACE(std::string(method.Name) + " of " + input);
      const fs::path archive = Encoded(method, input);
      EXPECT_EQ(Decode(FirstItem(archive)), original);
      if (method.UnzipReads) {
        // The stream is sound for an independent decoder too: what unzip -p wrote.
        fs::path out = archive;
        out += ".unzip";
        EXPECT_EQ(ReadFileBytes(out), original);
      }
    }
  }
}

TEST_F(LegacyMethodsTest, DamagedDataFailsCleanlyAndNeverWritesPastTheSize) {
  const Bytes original = Input(kInputs[0]);
  std::mt19937 random(11);
  for (const auto& method : kMethods) {
    SCOPED_TRACE(method.Name);
    const TItem item = FirstItem(Encoded(method, kInputs[0]));
    // Cut short: the data ends before the size is reached.
    const Bytes cut(item.Packed.begin(),
                    item.Packed.begin() + static_cast<std::ptrdiff_t>(item.Packed.size() / 2));
    EXPECT_THROW(Decode(item, cut, item.Size), EArLegacyDataError);
    // Bytes flipped: an error, or output of exactly the declared size.
    for (int round = 0; round < 20; ++round) {
      Bytes damaged = item.Packed;
      for (int k = 0; k < 8; ++k) {
        damaged[random() % damaged.size()] ^= static_cast<std::uint8_t>(1 + random() % 255);
      }
      try {
        EXPECT_EQ(Decode(item, damaged, item.Size).size(), original.size());
      } catch (const EArLegacyDataError&) {
      }
    }
    // A smaller declared size stops the decoder there.
    EXPECT_EQ(Decode(item, item.Packed, 1000), Bytes(original.begin(), original.begin() + 1000));
  }
}

TEST(NewerMethodsTest, XzItemOfAnotherToolDecodesLike7z) {
  TTempDir dir;
  ziptest::MakeArchives("xz-zstd", dir.Path());  // hello.txt as 7z extracts it
  const TItem item = FirstItem(ziptest::FixtureDir() / "zip-peers" / "xz.zip");
  ASSERT_EQ(item.Method, 95u);
  EXPECT_EQ(Decode(item), ReadFileBytes(dir.Path() / "hello.txt"));
}

TEST(NewerMethodsTest, XzAndZstdFromTheirOwnTools) {
  TTempDir dir;
  ziptest::MakeArchives("xz-zstd", dir.Path());
  const Bytes original = ReadFileBytes(dir.Path() / "text");
  struct Case {
    unsigned method;
    const char* packed;
    int copies;
  } cases[] = {
      {95, "text.xz", 1},   // xz -9
      {93, "text.zst", 1},  // zstd -19
      // Two frames in a row, and a frame written without its content size.
      {93, "text2.zst", 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.packed);
    TItem item;
    item.Method = c.method;
    item.Packed = ReadFileBytes(dir.Path() / c.packed);
    Bytes expected = original;
    if (c.copies == 2)
      expected.insert(expected.end(), original.begin(), original.end());
    item.Size = static_cast<std::int64_t>(expected.size());
    EXPECT_EQ(Decode(item), expected);
    // More data than the item declares, less, and a cut stream are errors.
    EXPECT_THROW(Decode(item, item.Packed, item.Size - 1), EArLegacyDataError);
    EXPECT_THROW(Decode(item, item.Packed, item.Size + 1), EArLegacyDataError);
    const Bytes cut(item.Packed.begin(), item.Packed.end() - 20);
    EXPECT_THROW(Decode(item, cut, item.Size), EArLegacyDataError);
    Bytes garbage = item.Packed;
    garbage[0] ^= 0xFF;
    EXPECT_THROW(Decode(item, garbage, item.Size), EArLegacyDataError);
  }
}

}  // namespace
}  // namespace vornel
