// Deflate64 streams made by 7-Zip (zip method 9) decode to the original files.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "inflate_helpers.h"
#include "zip/inflate/checksum.h"
#include "zip_test_support.h"

namespace vornel {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

Bytes ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

unsigned Le16(const Bytes& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8);
}
std::uint32_t Le32(const Bytes& b, std::size_t at) {
  return Le16(b, at) | (static_cast<std::uint32_t>(Le16(b, at + 2)) << 16);
}

struct ZipItem {
  std::string name;
  unsigned method;
  std::uint32_t crc;
  Bytes data;  // the compressed bytes
};

// The items of a small zip file, found through its central directory.
std::vector<ZipItem> ReadZip(const Bytes& zip) {
  std::size_t end = zip.size() - 22;
  while (Le32(zip, end) != 0x06054B50)
    --end;
  const unsigned count = Le16(zip, end + 10);
  std::size_t at = Le32(zip, end + 16);
  std::vector<ZipItem> items;
  for (unsigned i = 0; i < count; ++i) {
    ZipItem item;
    item.method = Le16(zip, at + 10);
    item.crc = Le32(zip, at + 16);
    const std::uint32_t compressed = Le32(zip, at + 20);
    const unsigned nameLength = Le16(zip, at + 28);
    const unsigned extra = Le16(zip, at + 30);
    const unsigned comment = Le16(zip, at + 32);
    const std::uint32_t local = Le32(zip, at + 42);
    item.name.assign(zip.begin() + static_cast<std::ptrdiff_t>(at + 46),
                     zip.begin() + static_cast<std::ptrdiff_t>(at + 46 + nameLength));
    const std::size_t data = local + 30 + Le16(zip, local + 26) + Le16(zip, local + 28);
    item.data.assign(zip.begin() + static_cast<std::ptrdiff_t>(data),
                     zip.begin() + static_cast<std::ptrdiff_t>(data + compressed));
    items.push_back(std::move(item));
    at += 46 + nameLength + extra + comment;
  }
  return items;
}

// Text with repeats far apart, noise, a noise block repeated, zeros, five bytes
// and machine code, as 7z -mm=Deflate64 -mx=9 packs them (the recipe deflate64-set).
TEST(InflateDeflate64Test, StreamsFrom7Zip) {
  ziptest::TTempDir folder;
  ziptest::MakeArchives("deflate64-set", folder.Path());
  std::vector<std::pair<std::string, Bytes>> files;
  for (const auto& entry : fs::directory_iterator(folder.Path() / "in"))
    files.emplace_back(entry.path().filename().string(), ReadFile(entry.path()));
  ASSERT_EQ(files.size(), 6u);
  const auto items = ReadZip(ReadFile(folder.Path() / "set.zip"));

  ASSERT_EQ(items.size(), files.size());
  std::size_t decoded = 0;
  for (const auto& item : items) {
    SCOPED_TRACE(item.name);
    const auto it = std::find_if(files.begin(), files.end(),
                                 [&](const auto& f) { return f.first == item.name; });
    ASSERT_NE(it, files.end());
    if (item.method != 9) {
      EXPECT_EQ(item.method, 0u);  // 7-Zip stores what does not shrink
      continue;
    }
    const auto result = testing::RunInflate(item.data, dfc_Default | dfc_UseDeflate64);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_TRUE(result.output == it->second);
    EXPECT_EQ(result.checksum, item.crc);
    EXPECT_EQ(result.compressedSize, static_cast<std::int64_t>(item.data.size()));
    const auto plain = testing::RunPlainLoop(item.data, dfc_UseDeflate64);
    ASSERT_TRUE(plain.ok) << plain.error;
    EXPECT_TRUE(plain.output == it->second);
    ++decoded;
  }
  EXPECT_GE(decoded, files.size() - 2);  // all but the noise and the five bytes
}

}  // namespace
}  // namespace vornel
