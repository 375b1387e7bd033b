// Extraction on Windows: folders, files, times and the read-only attribute as
// the archive gives them, and nothing written through a link or junction that
// already lies in the target tree. The archives are written here, byte by byte.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "zip_test_support.h"

#include <windows.h>

namespace vornel {
namespace {

using namespace ziptest;

// 2020-06-15 12:34:56 in MS-DOS form.
constexpr std::uint16_t kDosTime = (12 << 11) | (34 << 5) | (56 / 2);
constexpr std::uint16_t kDosDate = ((2020 - 1980) << 9) | (6 << 5) | 15;

// A stored item made by MS-DOS (version made by 0), so the attributes are its
// external attributes' low byte; a folder's name ends with '/'.
TEntry DosItem(const std::string& name, const std::string& data, std::uint8_t attributes = 0) {
  TEntry e;
  e.Name = name;
  e.Data = TBytes(data.begin(), data.end());
  e.ExternalAttributes = attributes | (name.ends_with('/') ? 0x10 : 0x20);
  e.Time = kDosTime;
  e.Date = kDosDate;
  return e;
}

void WriteArchive(const fs::path& path, const std::vector<TEntry>& entries) {
  TArchiveSpec spec;
  spec.Entries = entries;
  WriteFile(path, BuildZip(spec));
}

DWORD Attributes(const fs::path& path) {
  return GetFileAttributesW(path.c_str());
}

TEST(WindowsExtract, FoldersFilesTimeAndReadOnlyAsStored) {
  TTempDir temp;
  const fs::path archive = temp.Path() / "a.zip";
  const fs::path out = temp.Path() / "out";
  fs::create_directory(out);
  WriteArchive(archive, {DosItem("top/", ""), DosItem("top/sub/a.txt", "hello"),
                         DosItem("ro.txt", "fixed", 0x01)});
  EXPECT_TRUE(ExtractAll(archive, out).empty());

  EXPECT_EQ(TextOf(out / "top" / "sub" / "a.txt"), "hello");
  EXPECT_EQ(TextOf(out / "ro.txt"), "fixed");
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
  WriteArchive(archive, {DosItem("top/sub/a.txt", "again"), DosItem("ro.txt", "changed")});
  EXPECT_EQ(ExtractAll(archive, out), std::vector<std::string>{"ro.txt"});
  EXPECT_EQ(TextOf(out / "top" / "sub" / "a.txt"), "again");
  EXPECT_EQ(TextOf(out / "ro.txt"), "fixed");
  SetFileAttributesW((out / "ro.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(WindowsExtract, AFolderInTheWayIsNotReplacedByAFile) {
  TTempDir temp;
  const fs::path archive = temp.Path() / "a.zip";
  const fs::path out = temp.Path() / "out";
  fs::create_directories(out / "name" / "inner");
  WriteArchive(archive, {DosItem("name", "file"), DosItem("name/inner/b.txt", "b")});
  EXPECT_EQ(ExtractAll(archive, out), std::vector<std::string>{"name"});
  EXPECT_EQ(TextOf(out / "name" / "inner" / "b.txt"), "b");
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
  WriteArchive(archive, {DosItem("link/evil.txt", "evil"), DosItem("link/deep/evil.txt", "evil")});
  const std::vector<std::string> failed = ExtractAll(archive, out);
  EXPECT_EQ(failed.size(), 2u);
  EXPECT_TRUE(fs::is_empty(outside));
  RemoveDirectoryW((out / "link").c_str());
}

}  // namespace
}  // namespace vornel
