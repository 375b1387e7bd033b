// PPMd (method 98) items written by 7z at test time, decoded byte for byte;
// damaged, cut and badly parametrised data failing cleanly.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/memory_stream.h"
#include "platform/text.h"
#include "support/temp_dir.h"
#include "zip/ar_exceptions.h"
#include "zip/methods/legacy_error.h"
#include "zip/methods/ppmd_decoder.h"
#include "zip/methods/ppmd_model.h"
#include "zip/methods/ppmd_range_decoder.h"
#include "zip/unzipper.h"
#include "zip_test_support.h"

namespace vornel {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileBytes;
using testing::TTempDir;
using testing::WriteFileBytes;
using TBytes = std::vector<std::uint8_t>;

// Text of words from a large made-up vocabulary with numbers and punctuation:
// compressible, yet with enough distinct contexts to fill a small model.
TBytes WordText(std::size_t size, std::uint32_t seed) {
  TBytes out;
  std::uint32_t x = seed;
  auto next = [&] {
    x = x * 1103515245u + 12345u;
    return x >> 8;
  };
  static const char* const kSyllables[] = {"vor", "nel", "in", "stal", "ler", "ka", "ra",  "to",
                                           "mi",  "sun", "de", "zo",   "pe",  "lu", "qua", "th"};
  while (out.size() < size) {
    const unsigned n = 1 + next() % 4;
    for (unsigned i = 0; i < n; ++i)
      for (const char* s = kSyllables[next() % 16]; *s; ++s)
        out.push_back(static_cast<std::uint8_t>(*s));
    if (next() % 9 == 0) {
      const std::string number = std::to_string(next() % 100000);
      out.insert(out.end(), number.begin(), number.end());
    }
    out.push_back(static_cast<std::uint8_t>(" ,. \n"[next() % 5]));
  }
  out.resize(size);
  return out;
}

// Structured binary data: little-endian records with slowly changing fields.
TBytes Records(std::size_t size) {
  TBytes out;
  for (std::uint32_t i = 0; out.size() < size; ++i) {
    const std::uint32_t fields[4] = {i, i * i % 977, 0x1000u + (i / 50),
                                     i % 7 == 0 ? 0xFFFFFFFFu : 0u};
    for (std::uint32_t f : fields)
      for (int b = 0; b < 4; ++b)
        out.push_back(static_cast<std::uint8_t>(f >> (8 * b)));
  }
  out.resize(size);
  return out;
}

struct TItem {
  TBytes Data;  // the compressed data: two parameter bytes, then the coded stream
  unsigned Method = 0;
};

// The first item of a zip archive holding one file.
TItem FirstItem(const TBytes& zip) {
  auto u16 = [&](std::size_t o) { return static_cast<unsigned>(zip[o] | (zip[o + 1] << 8)); };
  auto u32 = [&](std::size_t o) { return u16(o) | (u16(o + 2) << 16); };
  TItem item;
  item.Method = u16(8);
  const std::size_t start = 30 + u16(26) + u16(28);
  item.Data.assign(zip.begin() + static_cast<std::ptrdiff_t>(start),
                   zip.begin() + static_cast<std::ptrdiff_t>(start + u32(18)));
  return item;
}

// A PPMd item of 7z from a recipe (ppmd-orders, ppmd-full-memory, ...): each
// case's folder holds data.bin and ppmd.zip, compressed with that case's switches.
struct TRecipeItem {
  TTempDir Dir;
  explicit TRecipeItem(const char* recipe) { ziptest::MakeArchives(recipe, Dir.Path()); }
  TItem Item(const char* name, const TBytes& data, fs::path* archive = nullptr) const {
    const fs::path folder = Dir.Path() / name;
    EXPECT_EQ(ReadFileBytes(folder / "data.bin"), data) << name;
    if (archive)
      *archive = folder / "ppmd.zip";
    TItem item = FirstItem(ReadFileBytes(folder / "ppmd.zip"));
    EXPECT_EQ(item.Method, 98u) << "7z did not write a PPMd item";
    return item;
  }
};

TMemoryStream StreamOf(const TBytes& bytes) {
  TMemoryStream s;
  if (!bytes.empty())
    s.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  s.SetPosition(0);
  return s;
}

TBytes Unppmd(const TBytes& data, std::int64_t size) {
  TMemoryStream in = StreamOf(data);
  TMemoryStream out;
  ArUnppmd(in, out, size);
  return out.Bytes();
}

struct TParameters {
  unsigned Order, MemoryMb, Restore;
};

TParameters ParametersOf(const TBytes& data) {
  const unsigned v = data[0] | (data[1] << 8);
  return {(v & 15) + 1, ((v >> 4) & 0xFF) + 1, v >> 12};
}

TEST(PpmdTest, ItemsOf7zAtSeveralOrdersMemorySizesAndRestorationMethods) {
  struct TCase {
    const char* Name;  // the recipe's folder
    unsigned Order;
    const char* Memory;
    unsigned Restore;
    TBytes Data;
  };
  const TBytes text = WordText(60000, 1);
  const TBytes records = Records(40000);
  const TCase cases[] = {
      {"order2", 2, "1m", 0, text},
      {"order3-cut", 3, "16m", 1, text},
      {"order6", 6, "16m", 0, text},
      {"order8-records", 8, "16m", 0, records},
      {"order16-cut", 16, "256m", 1, text},
      {"order16-records-cut", 16, "1m", 1, records},
      {"short", 6, "1m", 0, WordText(300, 9)},
      {"all-bytes", 4, "1m", 0,
       [] {
         TBytes all;
         for (int round = 0; round < 3; ++round)
           for (int b = 0; b < 256; ++b)
             all.push_back(static_cast<std::uint8_t>(round == 1 ? 255 - b : b));
         return all;
       }()},
  };
  const TRecipeItem recipe("ppmd-orders");
  for (const TCase& c : cases) {
    // 7z -mo=ORDER -mmem=MEMORY -ma=RESTORE.
    SCOPED_TRACE(std::string(c.Name) + ": -mo=" + std::to_string(c.Order) + " -mmem=" + c.Memory +
                 " -ma=" + std::to_string(c.Restore));
    const TItem item = recipe.Item(c.Name, c.Data);
    ASSERT_GE(item.Data.size(), 2u);
    const TParameters p = ParametersOf(item.Data);
    EXPECT_EQ(p.Order, c.Order);
    EXPECT_EQ(p.Restore, c.Restore);
    EXPECT_EQ(Unppmd(item.Data, static_cast<std::int64_t>(c.Data.size())), c.Data);
  }
}

// Inputs too large for a 1 MB model: the memory runs full many times and
// each restoration method rebuilds the model exactly as the encoder did.
TEST(PpmdTest, FullMemoryRestartsOrCutsTheModel) {
  const TBytes text = WordText(200000, 7);
  const TRecipeItem recipe("ppmd-full-memory");
  for (unsigned restore : {0u, 1u}) {
    for (unsigned order : {8u, 16u}) {
      SCOPED_TRACE("restore " + std::to_string(restore) + ", order " + std::to_string(order));
      // 7z -mo=ORDER -mmem=1m -ma=RESTORE.
      const std::string name =
          std::string(restore == 0 ? "full-restart-" : "full-cut-") + std::to_string(order);
      const TItem item = recipe.Item(name.c_str(), text);
      const TParameters p = ParametersOf(item.Data);
      ASSERT_EQ(p.MemoryMb, 1u);
      TMemoryStream in = StreamOf(item.Data);
      TArPpmdInput input(in);
      input.ReadByte();
      input.ReadByte();
      TArPpmdModel model(order, static_cast<TArPpmdModel::TRestoreMethod>(restore), 1u << 20);
      TArPpmdRangeDecoder rc(input);
      TBytes out;
      for (std::size_t i = 0; i < text.size(); ++i) {
        const int symbol = model.DecodeSymbol(rc);
        ASSERT_GE(symbol, 0) << "at " << i;
        out.push_back(static_cast<std::uint8_t>(symbol));
      }
      EXPECT_EQ(out, text);
      EXPECT_GT(model.Restorations(), 2u);
    }
  }
}

void ExpectDataError(const TBytes& data, std::int64_t size, const char* what) {
  SCOPED_TRACE(what);
  TMemoryStream in = StreamOf(data);
  TMemoryStream out;
  EXPECT_THROW(ArUnppmd(in, out, size), EArLegacyDataError);
  EXPECT_LE(out.Size(), size);
}

TEST(PpmdTest, BadParametersAreRefused) {
  TBytes data = {0x05, 0x00, 0x10, 0x20, 0x30, 0x40, 0x50, 0x60};
  ExpectDataError({}, 10, "no parameters");
  ExpectDataError({0x05}, 10, "one parameter byte");
  data[0] = 0x00;  // order 1
  ExpectDataError(data, 10, "order 1");
  data[0] = 0x05;
  data[1] = 0x20;  // restoration method 2 (freeze)
  ExpectDataError(data, 10, "restoration method 2");
  data[1] = 0xF0;
  ExpectDataError(data, 10, "restoration method 15");
  ExpectDataError({0x05, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x00}, 10, "coder starts at the top");
  // Nothing to produce: the data is not even looked at.
  EXPECT_TRUE(Unppmd({}, 0).empty());
}

TEST(PpmdTest, LargestModelIsOnlyTouchedWhereUsed) {
  // 256 MB asked for: reserved, not filled; a cut stream still fails at once.
  TBytes data = {0xF5, 0x0F, 0x12, 0x34, 0x56, 0x78, 0x9A};
  ExpectDataError(data, 100000, "256 MB model, cut stream");
}

TEST(PpmdTest, CutAndDamagedDataFailCleanly) {
  const TBytes text = WordText(15000, 3);
  const TItem item = TRecipeItem("ppmd-damage").Item("damage", text);  // 7z -mo=6 -mmem=1m
  const auto size = static_cast<std::int64_t>(text.size());
  ASSERT_EQ(Unppmd(item.Data, size), text);

  for (std::size_t keep : {std::size_t{2}, std::size_t{3}, std::size_t{6}, item.Data.size() / 2,
                           item.Data.size() - 8}) {
    ExpectDataError(
        TBytes(item.Data.begin(), item.Data.begin() + static_cast<std::ptrdiff_t>(keep)), size,
        ("cut to " + std::to_string(keep)).c_str());
  }

  // A flipped byte either ends in a data error or yields other bytes of the
  // declared size, never more.
  int errors = 0;
  for (std::size_t at = 2; at < item.Data.size(); at += item.Data.size() / 20 + 1) {
    TBytes damaged = item.Data;
    damaged[at] ^= 0x5A;
    TMemoryStream in = StreamOf(damaged);
    TMemoryStream out;
    try {
      ArUnppmd(in, out, size);
      EXPECT_EQ(out.Size(), size);
      EXPECT_NE(out.Bytes(), text) << "at " << at;
    } catch (const EArLegacyDataError&) {
      ++errors;
      EXPECT_LE(out.Size(), size);
    }
  }
  EXPECT_GT(errors, 0);

  // The item declared longer than what was coded: the end mark or the end of
  // the data comes first.
  ExpectDataError(item.Data, size + 5000, "declared longer");
}

// Through the unzipper: an archive of 7z extracts; a damaged copy is an item
// failure that leaves no file behind.
TEST(PpmdTest, UnzipperExtractsAndReportsDamage) {
  TTempDir dir;
  const TBytes text = WordText(20000, 5);
  fs::path archive;
  const TRecipeItem recipe("ppmd-unzipper");
  const TItem item = recipe.Item("unzipper", text, &archive);  // 7z -mo=8 -mmem=2m
  const TBytes zip = ReadFileBytes(archive);

  auto extract = [](const fs::path& path, const fs::path& folder) {
    std::vector<int> codes;
    TArUnZipper unzipper;
    unzipper.OnProcessItemFailure = [&](TArUnZipper&, TArZipItem&, TArProcessType, TArErrorClass,
                                        int code) { codes.push_back(code); };
    unzipper.SetFileName(ziptest::U16(path));
    unzipper.SetBaseDirectory(ziptest::U16(folder));
    unzipper.ExtractFiles(u"*.*");
    return codes;
  };
  TTempDir out;
  EXPECT_TRUE(extract(archive, out.Path()).empty());
  EXPECT_EQ(ReadFileBytes(out.Path() / "data.bin"), text);

  // The parameter bytes changed to ask for restoration method 3.
  TBytes damaged = zip;
  const std::size_t start = 30 + (zip[26] | (zip[27] << 8)) + (zip[28] | (zip[29] << 8));
  damaged[start + 1] = static_cast<std::uint8_t>((damaged[start + 1] & 0x0F) | 0x30);
  WriteFileBytes(dir.Path() / "damaged.zip", damaged);
  TTempDir out2;
  EXPECT_EQ(extract(dir.Path() / "damaged.zip", out2.Path()).size(), 1u);
  EXPECT_FALSE(fs::exists(out2.Path() / "data.bin"));
}

}  // namespace
}  // namespace vornel
