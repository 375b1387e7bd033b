// Extraction on Windows: folders, files, times and the read-only attribute as
// the archive gives them, and nothing written through a link or junction that
// already lies in the target tree. The archives are written here, byte by byte.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/text.h"
#include "support/temp_dir.h"
#include "zip/crc32.h"
#include "zip/unzipper.h"

#include <windows.h>

namespace vornel {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileBytes;
using testing::TTempDir;

struct TEntry {
  std::string Name;  // a folder ends with '/'
  std::string Data;
  std::uint8_t Attributes = 0;  // MS-DOS attributes
};

// 2020-06-15 12:34:56 in MS-DOS form.
constexpr std::uint16_t kDosTime = (12 << 11) | (34 << 5) | (56 / 2);
constexpr std::uint16_t kDosDate = ((2020 - 1980) << 9) | (6 << 5) | 15;

void Put16(std::string& out, std::uint32_t value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

void Put32(std::string& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

// A stored archive made by MS-DOS (version made by 0), so the attributes are
// its external attributes' low byte.
void WriteArchive(const fs::path& path, const std::vector<TEntry>& entries) {
  std::string local;
  std::string central;
  for (const TEntry& e : entries) {
    const std::uint32_t crc = ArCRC32Of(e.Data.data(), e.Data.size());
    const auto size = static_cast<std::uint32_t>(e.Data.size());
    const auto offset = static_cast<std::uint32_t>(local.size());
    const std::uint8_t attributes = e.Attributes | (e.Name.ends_with('/') ? 0x10 : 0x20);
    Put32(local, 0x04034B50);
    Put16(local, 20);  // version needed
    Put16(local, 0);   // flags
    Put16(local, 0);   // stored
    Put16(local, kDosTime);
    Put16(local, kDosDate);
    Put32(local, crc);
    Put32(local, size);
    Put32(local, size);
    Put16(local, static_cast<std::uint32_t>(e.Name.size()));
    Put16(local, 0);
    local += e.Name + e.Data;
    Put32(central, 0x02014B50);
    Put16(central, 20);  // made by MS-DOS
    Put16(central, 20);
    Put16(central, 0);
    Put16(central, 0);
    Put16(central, kDosTime);
    Put16(central, kDosDate);
    Put32(central, crc);
    Put32(central, size);
    Put32(central, size);
    Put16(central, static_cast<std::uint32_t>(e.Name.size()));
    Put16(central, 0);  // extra
    Put16(central, 0);  // comment
    Put16(central, 0);  // disk
    Put16(central, 0);  // internal attributes
    Put32(central, attributes);
    Put32(central, offset);
    central += e.Name;
  }
  std::string end;
  Put32(end, 0x06054B50);
  Put16(end, 0);
  Put16(end, 0);
  Put16(end, static_cast<std::uint32_t>(entries.size()));
  Put16(end, static_cast<std::uint32_t>(entries.size()));
  Put32(end, static_cast<std::uint32_t>(central.size()));
  Put32(end, static_cast<std::uint32_t>(local.size()));
  Put16(end, 0);
  std::ofstream(path, std::ios::binary) << local << central << end;
}

std::u16string U16(const fs::path& path) {
  const std::u8string text = path.u8string();
  return FromUtf8(std::string(text.begin(), text.end()));
}

// Extracts everything into the folder; returns the names of the failed items.
std::vector<std::string> Extract(const fs::path& archive, const fs::path& folder) {
  std::vector<std::string> failed;
  TArUnZipper unzipper;
  unzipper.SetExtractOptions(eoCreateDirs | eoRestorePath);
  unzipper.OnProcessItemFailure = [&](TArUnZipper& sender, TArZipItem& item, TArProcessType,
                                      TArErrorClass, int) {
    EXPECT_FALSE(sender.FailureMessage().empty());
    failed.push_back(ToUtf8(item.FileName));
  };
  unzipper.SetFileName(U16(archive));
  unzipper.SetBaseDirectory(U16(folder));
  unzipper.ExtractFiles(u"*.*");
  return failed;
}

std::string Content(const fs::path& path) {
  const std::vector<std::uint8_t> bytes = ReadFileBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

DWORD Attributes(const fs::path& path) {
  return GetFileAttributesW(path.c_str());
}

TEST(WindowsExtract, FoldersFilesTimeAndReadOnlyAsStored) {
  TTempDir temp;
  const fs::path archive = temp.Path() / "a.zip";
  const fs::path out = temp.Path() / "out";
  fs::create_directory(out);
  WriteArchive(archive, {{"top/", ""}, {"top/sub/a.txt", "hello"}, {"ro.txt", "fixed", 0x01}});
  EXPECT_TRUE(Extract(archive, out).empty());

  EXPECT_EQ(Content(out / "top" / "sub" / "a.txt"), "hello");
  EXPECT_EQ(Content(out / "ro.txt"), "fixed");
  EXPECT_NE(Attributes(out / "top") & FILE_ATTRIBUTE_DIRECTORY, 0u);
  EXPECT_EQ(Attributes(out / "top" / "sub" / "a.txt") & FILE_ATTRIBUTE_READONLY, 0u);
  EXPECT_NE(Attributes(out / "ro.txt") & FILE_ATTRIBUTE_READONLY, 0u);

  // The stored local time, read back through the system's own conversion.
  const HANDLE file = CreateFileW((out / "top" / "sub" / "a.txt").c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  FILETIME written{};
  EXPECT_TRUE(GetFileTime(file, nullptr, nullptr, &written));
  CloseHandle(file);
  SYSTEMTIME universal{};
  SYSTEMTIME local{};
  ASSERT_TRUE(FileTimeToSystemTime(&written, &universal));
  ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local));
  EXPECT_EQ(local.wYear, 2020);
  EXPECT_EQ(local.wMonth, 6);
  EXPECT_EQ(local.wDay, 15);
  EXPECT_EQ(local.wMinute, 34);
  EXPECT_EQ(local.wSecond, 56);

  // A second run replaces the writable file and leaves the read-only one.
  WriteArchive(archive, {{"top/sub/a.txt", "again"}, {"ro.txt", "changed"}});
  EXPECT_EQ(Extract(archive, out), std::vector<std::string>{"ro.txt"});
  EXPECT_EQ(Content(out / "top" / "sub" / "a.txt"), "again");
  EXPECT_EQ(Content(out / "ro.txt"), "fixed");
  SetFileAttributesW((out / "ro.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(WindowsExtract, AFolderInTheWayIsNotReplacedByAFile) {
  TTempDir temp;
  const fs::path archive = temp.Path() / "a.zip";
  const fs::path out = temp.Path() / "out";
  fs::create_directories(out / "name" / "inner");
  WriteArchive(archive, {{"name", "file"}, {"name/inner/b.txt", "b"}});
  EXPECT_EQ(Extract(archive, out), std::vector<std::string>{"name"});
  EXPECT_EQ(Content(out / "name" / "inner" / "b.txt"), "b");
}

TEST(WindowsExtract, ALinkedFolderLevelIsRefused) {
  TTempDir temp;
  const fs::path archive = temp.Path() / "a.zip";
  const fs::path out = temp.Path() / "out";
  const fs::path outside = temp.Path() / "outside";
  fs::create_directory(out);
  fs::create_directory(outside);
  // Wine 8 answers a link request with success and makes nothing (and shows a
  // link of the Unix side as a plain folder): there the case cannot be made.
  const BOOL made = CreateSymbolicLinkW(
      (out / "link").c_str(), outside.c_str(),
      SYMBOLIC_LINK_FLAG_DIRECTORY | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
  const DWORD attributes = Attributes(out / "link");
  if (!made || attributes == INVALID_FILE_ATTRIBUTES ||
      (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
    GTEST_SKIP() << "no folder link can be made on this system";
  WriteArchive(archive, {{"link/evil.txt", "evil"}, {"link/deep/evil.txt", "evil"}});
  const std::vector<std::string> failed = Extract(archive, out);
  EXPECT_EQ(failed.size(), 2u);
  EXPECT_TRUE(fs::is_empty(outside));
  RemoveDirectoryW((out / "link").c_str());
}

}  // namespace
}  // namespace vornel
