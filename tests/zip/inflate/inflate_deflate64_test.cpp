// Deflate64 streams made by 7-Zip (zip method 9) decode to the original files.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
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

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

Bytes ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteFile(const fs::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
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

TEST(InflateDeflate64Test, StreamsFrom7Zip) {
  if (std::system("command -v 7z >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "7z is not installed";
  const fs::path folder = fs::temp_directory_path() / ("inflate64-" + std::to_string(getpid()));
  fs::remove_all(folder);
  fs::create_directories(folder / "in");

  std::mt19937 random(21);
  std::vector<std::pair<std::string, Bytes>> files;
  {
    // Text with repeats far apart: distances beyond 32 KiB.
    Bytes block;
    while (block.size() < 50000) {
      const std::string word =
          "word" + std::to_string(random() % 5000) + (random() % 9 ? " " : "\n");
      block.insert(block.end(), word.begin(), word.end());
    }
    Bytes text;
    for (int i = 0; i < 6; ++i)
      text.insert(text.end(), block.begin(), block.end());
    files.emplace_back("text.txt", text);
  }
  {
    Bytes noise(70000);
    for (auto& b : noise)
      b = static_cast<std::uint8_t>(random());
    files.emplace_back("noise.bin", noise);
    // A random block repeated: matches 60000 back and longer than 258 bytes.
    Bytes repeated;
    for (int i = 0; i < 5; ++i)
      repeated.insert(repeated.end(), noise.begin(), noise.begin() + 60000);
    files.emplace_back("repeated.bin", repeated);
  }
  files.emplace_back("zeros.bin", Bytes(500000, 0));
  files.emplace_back("small.txt", Bytes{'h', 'e', 'l', 'l', 'o'});
  {
    const Bytes exe = ReadFile("/proc/self/exe");
    files.emplace_back("program.bin",
                       Bytes(exe.begin(), exe.begin() + std::min<std::size_t>(exe.size(), 400000)));
  }
  for (const auto& [name, bytes] : files)
    WriteFile(folder / "in" / name, bytes);

  const std::string command = "cd '" + (folder / "in").string() +
                              "' && 7z a -tzip -mm=Deflate64 -mx=9 ../set.zip . >/dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const auto items = ReadZip(ReadFile(folder / "set.zip"));
  fs::remove_all(folder);

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
    ++decoded;
  }
  EXPECT_GE(decoded, files.size() - 2);  // all but the noise and the five bytes
}

}  // namespace
}  // namespace vornel
