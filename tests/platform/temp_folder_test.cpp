#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/file_system.h"
#include "platform/temp_folder.h"
#include "platform/text.h"
#include "support/temp_dir.h"

namespace vornel {
namespace {

using testing::TTempDir;

unsigned Mode(const std::filesystem::path& path) {
  struct stat st {};
  ::lstat(path.c_str(), &st);
  return st.st_mode & 07777;
}

TEST(TempFolderTest, CreatedPrivateWithTrailingDelimiter) {
  TTempDir base;
  const unsigned uid = ::geteuid();
  const std::u16string folder = PrivateFolderUnder(FromUtf8(base.Path().string()), uid);
  const auto expected = base.Path() / ("vornel-" + std::to_string(uid));
  EXPECT_EQ(folder, FromUtf8(expected.string()) + u"/");
  EXPECT_EQ(Mode(expected), 0700u);
  // A second call finds the same folder.
  EXPECT_EQ(PrivateFolderUnder(FromUtf8(base.Path().string()), uid), folder);
}

TEST(TempFolderTest, RefusedWhenTheNameIsNotTheUsersOwnFolder) {
  const unsigned uid = ::geteuid();
  const std::string leaf = "vornel-" + std::to_string(uid);
  {
    TTempDir base, elsewhere;
    std::filesystem::create_directory_symlink(elsewhere.Path(), base.Path() / leaf);
    EXPECT_EQ(PrivateFolderUnder(FromUtf8(base.Path().string()), uid), u"") << "a symbolic link";
  }
  {
    TTempDir base;
    std::ofstream(base.Path() / leaf) << "x";
    EXPECT_EQ(PrivateFolderUnder(FromUtf8(base.Path().string()), uid), u"") << "a file";
  }
  {
    TTempDir base;
    std::filesystem::create_directory(base.Path() / leaf);
    ::chmod((base.Path() / leaf).c_str(), 0777);
    EXPECT_EQ(PrivateFolderUnder(FromUtf8(base.Path().string()), uid), u"") << "open to all";
  }
}

TEST(TempFolderTest, RefusedWhenOwnedByAnotherUser) {
  if (::geteuid() != 0)
    GTEST_SKIP() << "needs root to give a folder to another user";
  TTempDir base;
  const unsigned other = 4242;
  const auto folder = base.Path() / "vornel-0";
  std::filesystem::create_directory(folder);
  ::chmod(folder.c_str(), 0700);
  ASSERT_EQ(::chown(folder.c_str(), other, other), 0);
  EXPECT_EQ(PrivateFolderUnder(FromUtf8(base.Path().string()), 0), u"");
}

TEST(TempFolderTest, UserTempFolderUsesAnAbsoluteTmpdir) {
  TTempDir base;
  ::setenv("TMPDIR", base.Path().c_str(), 1);
  EXPECT_EQ(UserTempFolder(),
            FromUtf8((base.Path() / ("vornel-" + std::to_string(::geteuid()))).string()) + u"/");
  ::setenv("TMPDIR", "relative/dir", 1);
  EXPECT_EQ(UserTempFolder().rfind(u"/tmp/vornel-", 0), 0u);
  ::unsetenv("TMPDIR");
}

TEST(ExecutablePathTest, NamesThisTestProgram) {
  EXPECT_EQ(ExtractFileName(ExecutablePath()), u"platform_tests");
}

}  // namespace
}  // namespace vornel
