#include "platform/owned_files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "platform/file_stream.h"
#include "platform/text.h"
#include "support/other_user.h"
#include "support/temp_dir.h"

namespace vornel {
namespace {

namespace fs = std::filesystem;
using testing::TTempDir;

std::string ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool Present(const fs::path& path) {
  return fs::symlink_status(path).type() != fs::file_type::not_found;
}

// What may lie at a name: made by make inside dir, with a canary file of the
// user's beside it for links to aim at.
struct TThing {
  const char* Name;
  void (*Make)(const fs::path& at, const fs::path& canary);
  bool NeedsOtherUser;
};

const TThing kThings[] = {
    {"own file", [](const fs::path& at, const fs::path&) { std::ofstream(at) << "mine"; }, false},
    {"link to a file", [](const fs::path& at, const fs::path& c) { fs::create_symlink(c, at); },
     false},
    {"dangling link",
     [](const fs::path& at, const fs::path& c) { fs::create_symlink(c.string() + ".new", at); },
     false},
    {"fifo", [](const fs::path& at, const fs::path&) { ::mkfifo(at.c_str(), 0666); }, false},
    {"folder", [](const fs::path& at, const fs::path&) { fs::create_directory(at); }, false},
    {"other user's file",
     [](const fs::path& at, const fs::path&) {
       std::ofstream(at) << "his";
       ASSERT_EQ(::chown(at.c_str(), testing::OtherUserId, testing::OtherUserId), 0);
     },
     true},
};

TEST(DeleteOwnFileTest, OnlyTheUsersOwnRegularFileGoes) {
  for (const TThing& thing : kThings) {
    SCOPED_TRACE(thing.Name);
    if (thing.NeedsOtherUser && ::geteuid() != 0)
      continue;
    TTempDir dir;
    const fs::path canary = dir.Path() / "canary";
    std::ofstream(canary) << "canary";
    const fs::path at = dir.Path() / "SetupTarvo.exe";
    thing.Make(at, canary);
    const bool own = std::string(thing.Name) == "own file";

    EXPECT_EQ(DeleteOwnFile(FromUtf8(at.string())), own);

    EXPECT_EQ(Present(at), !own);
    EXPECT_EQ(ReadAll(canary), "canary");
  }
}

TEST(NewFileTest, NothingAtTheNameIsEverOpenedOrFollowed) {
  for (const TThing& thing : kThings) {
    SCOPED_TRACE(thing.Name);
    if (thing.NeedsOtherUser && ::geteuid() != 0)
      continue;
    TTempDir dir;
    const fs::path canary = dir.Path() / "canary";
    std::ofstream(canary) << "canary";
    const fs::path at = dir.Path() / "SelfDelete.sh";
    thing.Make(at, canary);
    const bool fifo = fs::symlink_status(at).type() == fs::file_type::fifo;
    const bool file = fs::is_regular_file(at);
    const std::string before = file ? ReadAll(at) : std::string();
    // A reader on the FIFO, so that a wrong open would not block but write into it.
    const int reader = fifo ? ::open(at.c_str(), O_RDONLY | O_NONBLOCK) : -1;

    EXPECT_THROW(TNewFile::Create(FromUtf8(at.string()), 0700), EFCreateError);

    EXPECT_EQ(ReadAll(canary), "canary");
    EXPECT_FALSE(Present(canary.string() + ".new")) << "a dangling link made nothing";
    if (file) {
      EXPECT_EQ(ReadAll(at), before);
    }
    if (reader >= 0) {
      char byte;
      EXPECT_LE(::read(reader, &byte, 1), 0);
      ::close(reader);
    }
  }
}

TEST(NewFileTest, ANewFileHasTheModeAskedForWhateverTheUmask) {
  TTempDir dir;
  for (mode_t umask : {0000, 0022, 0077}) {
    SCOPED_TRACE(umask);
    const mode_t saved = ::umask(umask);
    const fs::path at = dir.Path() / ("s" + std::to_string(umask));
    {
      TNewFile file = TNewFile::Create(FromUtf8(at.string()), 0700);
      file.Write("#!/bin/sh\n");
      EXPECT_EQ(file.Path(), FromUtf8(at.string()));
      EXPECT_GE(file.Descriptor(), 0);
    }
    ::umask(saved);
    struct stat st {};
    ASSERT_EQ(::lstat(at.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_mode & 07777, 0700u);
    EXPECT_EQ(ReadAll(at), "#!/bin/sh\n");
  }
}

TEST(NewFileTest, UniqueNamesAreFreshEachTime) {
  TTempDir dir;
  const std::u16string folder = FromUtf8(dir.Path().string() + "/");
  std::set<std::u16string> names;
  for (int i = 0; i < 20; ++i) {
    TNewFile file = TNewFile::CreateUnique(folder, u"SelfDelete-", u".sh", 0700);
    const std::u16string name = file.Path().substr(folder.size());
    EXPECT_EQ(name.size(), 11u + 6u + 3u) << ToUtf8(name);
    EXPECT_TRUE(name.starts_with(u"SelfDelete-") && name.ends_with(u".sh")) << ToUtf8(name);
    names.insert(name);
  }
  EXPECT_EQ(names.size(), 20u);
  EXPECT_THROW(TNewFile::CreateUnique(folder + u"gone/", u"x-", u".sh", 0700), EFCreateError);
}

TEST(CheckOwnFolderTest, OnlyARealFolderOfTheUsersClosedToOthers) {
  TTempDir dir;
  const fs::path own = dir.Path() / "own";
  fs::create_directory(own);
  ::chmod(own.c_str(), 0755);
  const fs::path open = dir.Path() / "open";
  fs::create_directory(open);
  ::chmod(open.c_str(), 0775);
  fs::create_directory_symlink(own, dir.Path() / "link");
  std::ofstream(dir.Path() / "file") << "x";
  struct {
    const char* Name;
    unsigned OtherBits;
    TFolderTrust Trust;
  } const cases[] = {
      {"own", 0022, TFolderTrust::Own},           {"own", 0077, TFolderTrust::OpenToOthers},
      {"open", 0022, TFolderTrust::OpenToOthers}, {"link", 0022, TFolderTrust::NotAFolder},
      {"file", 0022, TFolderTrust::NotAFolder},   {"missing", 0022, TFolderTrust::Missing},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CheckOwnFolder(FromUtf8((dir.Path() / c.Name).string()), c.OtherBits), c.Trust)
        << c.Name << " " << c.OtherBits;
  }
  if (testing::CanActAsOtherUser()) {
    ::chmod(dir.Path().c_str(), 0777);
    ASSERT_TRUE(testing::RunAsOtherUser("mkdir -m 700 '" + (dir.Path() / "his").string() + "'"));
    EXPECT_EQ(CheckOwnFolder(FromUtf8((dir.Path() / "his").string()), 0022),
              TFolderTrust::OtherOwner);
  }
}

}  // namespace
}  // namespace vornel
