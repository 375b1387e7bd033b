// What the installer takes from its own process on Windows, read in a copy of the
// stand-in started under the product's file name: the identity from
// GetModuleFileNameW, and the temporary folder, which is the user's own already
// (the Windows counterpart of Linux's private vornel-<uid> folder rule).
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "installer/identity.h"
#include "platform/file_system.h"
#include "platform/owned_files.h"
#include "platform/temp_folder.h"
#include "platform/text.h"
#include "scratch_folder.h"
#include "stand_in.h"

#undef DeleteFile

namespace vornel {
namespace {

using testing::StandInProgram;
using testing::TScratchFolder;
using testing::TStartedProcess;

std::u16string FromPath(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return FromUtf8(std::string(text.begin(), text.end()));
}

TEST(WindowsIdentityTest, FromTheModuleFileNameWithoutExeUpperCased) {
  struct {
    const char* FileName;
    const char* Identity;
  } const cases[] = {
      {"InstallTarvo.exe", "INSTALLTARVO"},
      {"InstallTarvoNET.EXE", "INSTALLTARVONET"},
      {"installkvelowin.Exe", "INSTALLKVELOWIN"},
      {"Install Tarvo (2).exe", "INSTALL TARVO (2)"},
  };
  TScratchFolder folder("dir.exe");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.FileName);
    const std::filesystem::path program = folder.Path() / c.FileName;
    std::filesystem::copy_file(StandInProgram(), program);
    const std::filesystem::path answer = folder.Path() / "answer.txt";
    {
      TStartedProcess process(program, L"identity \"" + answer.wstring() + L"\"");
      ASSERT_TRUE(process.Started());
      ASSERT_EQ(process.Wait(60000), 0u);
    }
    std::ifstream in(answer, std::ios::binary);
    std::string identity, path, temp;
    std::getline(in, identity);
    std::getline(in, path);
    std::getline(in, temp);
    EXPECT_EQ(identity, c.Identity);
    EXPECT_TRUE(SameTextAscii(FromUtf8(path), FromPath(program))) << path;
    EXPECT_EQ(temp, ToUtf8(UserTempFolder()));
    in.close();
    std::filesystem::remove(program);
    std::filesystem::remove(answer);
  }
}

TEST(WindowsTempFolderTest, TheUsersOwnLongFolderUsedAsItIs) {
  wchar_t shortPath[MAX_PATH + 1] = {};
  ASSERT_GT(GetTempPathW(MAX_PATH + 1, shortPath), 0u);
  wchar_t longPath[32768] = {};
  ASSERT_GT(GetLongPathNameW(shortPath, longPath, 32768), 0u);
  std::wstring expected(longPath);
  if (expected.back() != L'\\')
    expected += L'\\';

  const std::u16string folder = UserTempFolder();
  EXPECT_EQ(ToUtf8(folder), ToUtf8(std::u16string(expected.begin(), expected.end())));
  EXPECT_EQ(folder.find(u'~'), std::u16string::npos) << "the long form";
  EXPECT_EQ(CheckOwnFolder(ExcludeTrailingPathDelimiter(folder), 0077), TFolderTrust::Own);
  // No vornel-<uid> folder is made below it, so none is removed at the close.
  EXPECT_EQ(folder.find(u"vornel-"), std::u16string::npos);
  EXPECT_FALSE(IsOwnFreshTempFolder(folder));
  EXPECT_FALSE(IsOwnFreshTempFolder(folder + u"vornel-0-abcdef\\"));
}

}  // namespace
}  // namespace vornel
