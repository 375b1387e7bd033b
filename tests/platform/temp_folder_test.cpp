#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/file_system.h"
#include "platform/temp_folder.h"
#include "platform/text.h"
#include "support/other_user.h"
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

// A base folder like /tmp (anyone may make a name in it) in which another user
// made the user's name first.
class SquattedTempFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testing::CanActAsOtherUser())
      GTEST_SKIP() << "needs root and setpriv to act as another user";
    ::chmod(base.Path().c_str(), 01777);
    ASSERT_TRUE(testing::RunAsOtherUser("mkdir -m 777 '" + Squatted().string() + "'"));
  }

  std::filesystem::path Squatted() const { return base.Path() / ("vornel-" + std::to_string(uid)); }
  std::u16string Base() const { return FromUtf8(base.Path().string()); }

  // The folder is the user's, private, and a folder indeed.
  static void ExpectPrivate(const std::u16string& folder) {
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), u'/');
    struct stat st {};
    ASSERT_EQ(::lstat(ToUtf8(folder).c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_uid, ::geteuid());
    EXPECT_EQ(st.st_mode & 07777, 0700u);
  }

  const unsigned uid = ::geteuid();
  TTempDir base;
  TTempDir runtime;
};

TEST_F(SquattedTempFolderTest, AFreshFolderOfItsOwnIsMadeWithoutARuntimeFolder) {
  EXPECT_EQ(PrivateFolderUnder(Base(), uid), u"") << "the squatted folder is never used";
  const std::u16string first = PrivateTempFolder(Base(), u"", uid);
  ExpectPrivate(first);
  EXPECT_EQ(ExtractFilePath(ExcludeTrailingPathDelimiter(first)), Base() + u"/");
  EXPECT_TRUE(ExtractFileName(ExcludeTrailingPathDelimiter(first))
                  .starts_with(u"vornel-" + IntToText(uid) + u"-"));
  EXPECT_TRUE(IsFreshTempFolder(first, uid));
  // Each run has one of its own.
  const std::u16string second = PrivateTempFolder(Base(), u"", uid);
  ExpectPrivate(second);
  EXPECT_NE(first, second);
  EXPECT_TRUE(std::filesystem::is_empty(Squatted())) << "nothing was put into the other's folder";
}

TEST_F(SquattedTempFolderTest, TheUsersRuntimeFolderIsTakenWhenItIsTheirs) {
  const auto vornel = runtime.Path() / "vornel";
  const std::u16string folder = PrivateTempFolder(Base(), FromUtf8(runtime.Path().string()), uid);
  EXPECT_EQ(folder, FromUtf8(vornel.string()) + u"/");
  ExpectPrivate(folder);
  EXPECT_FALSE(IsFreshTempFolder(folder, uid));
  EXPECT_EQ(PrivateTempFolder(Base(), FromUtf8(runtime.Path().string() + "/"), uid), folder);
  EXPECT_TRUE(std::filesystem::is_empty(Squatted()));
}

TEST_F(SquattedTempFolderTest, ARuntimeFolderThatIsNotTheUsersGivesAFreshOne) {
  struct {
    const char* Name;
    void (*Spoil)(const std::filesystem::path& runtime, const std::filesystem::path& elsewhere);
  } const cases[] = {
      {"missing", [](const auto& r, const auto&) { std::filesystem::remove_all(r); }},
      {"a link to a folder of the user's",
       [](const auto& r, const auto& e) {
         std::filesystem::remove_all(r);
         std::filesystem::create_directory_symlink(e, r);
       }},
      {"another user's",
       [](const auto& r, const auto&) {
         ASSERT_EQ(::chown(r.c_str(), testing::OtherUserId, testing::OtherUserId), 0);
       }},
      {"open to all", [](const auto& r, const auto&) { ::chmod(r.c_str(), 0777); }},
      {"vornel in it a link",
       [](const auto& r, const auto& e) {
         std::filesystem::create_directory_symlink(e, r / "vornel");
       }},
      {"vornel in it another user's",
       [](const auto& r, const auto&) {
         ::chmod(r.c_str(), 0777);
         ASSERT_TRUE(testing::RunAsOtherUser("mkdir -m 700 '" + (r / "vornel").string() + "'"));
         ::chmod(r.c_str(), 0700);
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TTempDir runtimeBase, elsewhere;
    const auto r = runtimeBase.Path() / "run";
    std::filesystem::create_directory(r);
    ::chmod(r.c_str(), 0700);
    ::chmod(runtimeBase.Path().c_str(), 0755);
    c.Spoil(r, elsewhere.Path());
    const std::u16string folder = PrivateTempFolder(Base(), FromUtf8(r.string()), uid);
    ExpectPrivate(folder);
    EXPECT_TRUE(IsFreshTempFolder(folder, uid)) << ToUtf8(folder);
    EXPECT_TRUE(std::filesystem::is_empty(elsewhere.Path()));
  }
}

TEST_F(SquattedTempFolderTest, UserTempFolderTakesItsPiecesFromTheEnvironment) {
  ::setenv("TMPDIR", base.Path().c_str(), 1);
  ::setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
  EXPECT_EQ(UserTempFolder(), FromUtf8((runtime.Path() / "vornel").string()) + u"/");
  ::setenv("XDG_RUNTIME_DIR", "relative", 1);
  EXPECT_TRUE(IsFreshTempFolder(UserTempFolder(), uid));
  ::unsetenv("XDG_RUNTIME_DIR");
  ::unsetenv("TMPDIR");
}

TEST(FreshTempFolderTest, OnlyTheFreshNameOfTheUser) {
  EXPECT_TRUE(IsFreshTempFolder(u"/tmp/vornel-1000-a1B2c3/", 1000));
  EXPECT_TRUE(IsFreshTempFolder(u"/tmp/vornel-1000-a1B2c3", 1000));
  EXPECT_FALSE(IsFreshTempFolder(u"/tmp/vornel-1000/", 1000));
  EXPECT_FALSE(IsFreshTempFolder(u"/run/user/1000/vornel/", 1000));
  EXPECT_FALSE(IsFreshTempFolder(u"/tmp/vornel-1001-a1B2c3/", 1000));
  EXPECT_FALSE(IsFreshTempFolder(u"/tmp/vornel-1000-a1B2c3x/", 1000));
  EXPECT_FALSE(IsFreshTempFolder(u"", 1000));
}

TEST(ExecutablePathTest, NamesThisTestProgram) {
  EXPECT_EQ(ExtractFileName(ExecutablePath()), u"platform_tests");
}

}  // namespace
}  // namespace vornel
