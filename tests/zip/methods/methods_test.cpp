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

namespace vornel {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileBytes;
using testing::TTempDir;
using testing::WriteFileBytes;
using Bytes = std::vector<std::uint8_t>;

const std::string kFixtures = VORNEL_SOURCE_DIR "/tests/fixtures";
const std::string kEncoder = VORNEL_SOURCE_DIR "/tests/zip/methods/legacy_encoders.py";

int Shell(const std::string& command) {
  return std::system(command.c_str());
}
std::string Quote(const fs::path& p) {
  return "'" + p.string() + "'";
}

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

// Inputs that reach the methods' corners: long text (the shrink table fills and
// is cleared, codes widen to 13 bits), machine code, runs longer than any copy,
// many 0x90 bytes (the reduce escape), one byte.
struct TInput {
  const char* Name;
  std::function<Bytes()> Make;
};

Bytes LongText() {
  Bytes text;
  for (const auto& entry : fs::directory_iterator("/usr/share/common-licenses")) {
    if (!entry.is_regular_file())
      continue;
    const Bytes part = ReadFileBytes(entry.path());
    text.insert(text.end(), part.begin(), part.end());
    if (text.size() > 120000)
      break;
  }
  return text;
}

Bytes MachineCode() {
  Bytes code = ReadFileBytes("/proc/self/exe");
  code.resize(std::min<std::size_t>(code.size(), 40000));
  return code;
}

Bytes RunsAndEscapes() {
  Bytes data;
  std::mt19937 random(7);
  for (int i = 0; i < 150; ++i) {
    const std::uint8_t byte = (i % 3 == 0) ? 0x90 : static_cast<std::uint8_t>(random());
    data.insert(data.end(), 1 + random() % 700, byte);
    for (int k = 0; k < 20; ++k)
      data.push_back(static_cast<std::uint8_t>(random() % 4 == 0 ? 0x90 : random()));
  }
  return data;
}

const TInput kInputs[] = {
    {"text", LongText},
    {"code", MachineCode},
    {"runs", RunsAndEscapes},
    {"one", [] { return Bytes{'x'}; }},
};

struct TMethod {
  const char* Name;
  bool UnzipReads;  // Info-ZIP unzip of this machine decodes the method
};

const TMethod kMethods[] = {
    {"shrink", true},     {"reduce1", false},   {"reduce2", false},
    {"reduce3", false},   {"reduce4", false},   {"implode4k2", true},
    {"implode4k3", true}, {"implode8k2", true}, {"implode8k3", true},
};

// Archives of the project's encoder, made once for the whole suite.
class LegacyMethodsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { FDir = new TTempDir; }
  static void TearDownTestSuite() {
    delete FDir;
    FDir = nullptr;
  }

  // The archive of one method over one input, encoded on first use.
  static fs::path Encoded(const TMethod& method, const TInput& input, const Bytes& original) {
    const fs::path source = FDir->Path() / input.Name;
    if (!fs::exists(source))
      WriteFileBytes(source, original);
    const fs::path archive = FDir->Path() / (std::string(method.Name) + "-" + input.Name + ".zip");
    if (!fs::exists(archive)) {
      EXPECT_EQ(Shell("python3 " + Quote(kEncoder) + " " + method.Name + " " + Quote(source) + " " +
                      Quote(archive)),
                0);
    }
    return archive;
  }

  static TTempDir* FDir;
};

TTempDir* LegacyMethodsTest::FDir = nullptr;

TEST_F(LegacyMethodsTest, ArchivesOfOtherToolsDecode) {
  const Bytes expected = ReadFileBytes(kFixtures + "/zip-legacy/first.txt");
  for (const char* name : {"shrink.zip", "reduce.zip", "implode.zip"}) {
    EXPECT_EQ(Decode(FirstItem(kFixtures + "/zip-legacy/" + name)), expected) << name;
  }
}

TEST_F(LegacyMethodsTest, EveryVariantDecodesWhatTheEncoderWrote) {
  for (const auto& input : kInputs) {
    const Bytes original = input.Make();
    for (const auto& method : kMethods) {
      SCOPED_TRACE(std::string(method.Name) + " of " + input.Name);
      const fs::path archive = Encoded(method, input, original);
      EXPECT_EQ(Decode(FirstItem(archive)), original);
      if (method.UnzipReads) {
        // The stream is sound for an independent decoder too.
        const fs::path out = FDir->Path() / "unzip.out";
        ASSERT_EQ(Shell("unzip -p " + Quote(archive) + " > " + Quote(out)), 0);
        EXPECT_EQ(ReadFileBytes(out), original);
      }
    }
  }
}

TEST_F(LegacyMethodsTest, DamagedDataFailsCleanlyAndNeverWritesPastTheSize) {
  const TInput& input = kInputs[0];
  const Bytes original = input.Make();
  std::mt19937 random(11);
  for (const auto& method : kMethods) {
    SCOPED_TRACE(method.Name);
    const TItem item = FirstItem(Encoded(method, input, original));
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
  ASSERT_EQ(Shell("cd " + Quote(dir.Path()) + " && 7z x -y " +
                  Quote(kFixtures + "/zip-peers/xz.zip") + " > /dev/null"),
            0);
  const TItem item = FirstItem(kFixtures + "/zip-peers/xz.zip");
  ASSERT_EQ(item.Method, 95u);
  EXPECT_EQ(Decode(item), ReadFileBytes(dir.Path() / "hello.txt"));
}

TEST(NewerMethodsTest, XzAndZstdFromTheirOwnTools) {
  TTempDir dir;
  const Bytes original = LongText();
  const fs::path source = dir.Path() / "text";
  WriteFileBytes(source, original);
  struct Case {
    unsigned method;
    std::string command;
  } cases[] = {
      {95, "xz -9 -c " + Quote(source) + " > " + Quote(dir.Path() / "packed")},
      {93, "zstd -q -19 -c " + Quote(source) + " > " + Quote(dir.Path() / "packed")},
      // Two frames in a row, and a frame written without its content size.
      {93, "(zstd -q -c " + Quote(source) + "; zstd -q -c " + Quote(source) + ") > " +
               Quote(dir.Path() / "packed")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    ASSERT_EQ(Shell(c.command), 0);
    TItem item;
    item.Method = c.method;
    item.Packed = ReadFileBytes(dir.Path() / "packed");
    Bytes expected = original;
    if (c.command.find("; zstd") != std::string::npos)
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
