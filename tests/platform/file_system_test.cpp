#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/text.h"
#include "support/temp_dir.h"

namespace vornel {
namespace {

using testing::TTempDir;

TEST(FileSystemTest, ExistenceSizeAndDeletion) {
  TTempDir dir;
  std::ofstream(dir.Path() / "a.txt") << "12345";
  EXPECT_TRUE(FileExists(dir.Join("a.txt")));
  EXPECT_FALSE(FileExists(FromUtf8(dir.Path().string())));
  EXPECT_TRUE(DirectoryExists(FromUtf8(dir.Path().string())));
  EXPECT_EQ(FileSize(dir.Join("a.txt")), 5);
  EXPECT_EQ(FileSize(dir.Join("b.txt")), -1);
  EXPECT_TRUE(DeleteFile(dir.Join("a.txt")));
  EXPECT_FALSE(DeleteFile(dir.Join("a.txt")));
}

TEST(FileSystemTest, FoldersAreCreatedOneOrAllAndRemovedOnlyWhenEmpty) {
  TTempDir dir;
  EXPECT_FALSE(CreateDir(dir.Join("x/y"))) << "only the last component";
  EXPECT_TRUE(CreateDir(dir.Join("x")));
  EXPECT_TRUE(CreateDir(dir.Join("x"))) << "an existing folder is no error";
  EXPECT_TRUE(ForceDirectories(dir.Join("p/q/r/")));
  EXPECT_TRUE(DirectoryExists(dir.Join("p/q/r")));
  std::ofstream(dir.Path() / "p/q/r/f") << "";
  EXPECT_FALSE(RemoveDir(dir.Join("p/q/r")));
  EXPECT_TRUE(DeleteFile(dir.Join("p/q/r/f")));
  EXPECT_TRUE(RemoveDir(dir.Join("p/q/r")));
  std::ofstream(dir.Path() / "file") << "";
  EXPECT_FALSE(ForceDirectories(dir.Join("file/sub")));
}

TEST(FileSystemTest, TimesAndAttributes) {
  TTempDir dir;
  const auto path = dir.Path() / "t.txt";
  std::ofstream(path) << "x";
  ::setenv("TZ", "Europe/Prague", 1);
  ::tzset();
  ASSERT_TRUE(SetFileLastWriteTime(FromUtf8(path.string()), EncodeDateTime(2021, 1, 1, 1, 0, 0)));
  struct stat st {};
  ::stat(path.c_str(), &st);
  EXPECT_EQ(st.st_mtime, 1609459200);
  ::unsetenv("TZ");
  ::tzset();

  ASSERT_TRUE(SetFilePermissions(FromUtf8(path.string()), 04755));
  ::stat(path.c_str(), &st);
  EXPECT_EQ(st.st_mode & 07777, 0755u) << "set-user-id is never applied";
  ASSERT_TRUE(SetFileReadOnly(FromUtf8(path.string()), true));
  ::stat(path.c_str(), &st);
  EXPECT_EQ(st.st_mode & 0222, 0u);
  ASSERT_TRUE(SetFileReadOnly(FromUtf8(path.string()), false));
  ::stat(path.c_str(), &st);
  EXPECT_NE(st.st_mode & S_IWUSR, 0u);
}

TEST(FileSystemTest, PathPieces) {
  EXPECT_EQ(ExtractFilePath(u"/a/b/c.zip"), u"/a/b/");
  EXPECT_EQ(ExtractFilePath(u"c.zip"), u"");
  EXPECT_EQ(ExtractFileName(u"/a/b/c.zip"), u"c.zip");
  EXPECT_EQ(ExtractFileExt(u"/a.b/c"), u"");
  EXPECT_EQ(ExtractFileExt(u"/a/c.tar.ZIP"), u".ZIP");
  EXPECT_EQ(IncludeTrailingPathDelimiter(u"/a"), u"/a/");
  EXPECT_EQ(IncludeTrailingPathDelimiter(u"/a/"), u"/a/");
  EXPECT_EQ(ExcludeTrailingPathDelimiter(u"/a//"), u"/a");
  EXPECT_EQ(ExcludeTrailingPathDelimiter(u"/"), u"/");
}

}  // namespace
}  // namespace vornel
