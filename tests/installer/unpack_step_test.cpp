#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "installer/installer_wizard.h"
#include "installer/recording_view.h"
#include "installer/unpack_step.h"
#include "platform/file_system.h"
#include "platform/text.h"
#include "scratch_folder.h"
#include "support/other_user.h"

namespace vornel {
namespace {

namespace fs = std::filesystem;
using testing::Exists;
using testing::TScratchFolder;

const char* const kSetNames[] = {"Setup.exe",  "Setup-1.bin", "Aktual.txt", "Ctimne.txt",
                                 "data/a.dat", "data/b.dat",  "data/c.dat", "data/deep/d.dat",
                                 "e.txt",      "f.txt"};

// Writes a zip with Python's zipfile: (name, content) pairs, stored so that a
// test can find and damage an item's bytes.
void MakeZip(const fs::path& zip, const std::vector<std::pair<std::string, std::string>>& items) {
  std::string script = "import zipfile\nz = zipfile.ZipFile('" + zip.string() + "', 'w')\n";
  for (const auto& [name, content] : items) {
    script += "z.writestr(zipfile.ZipInfo('" + name + "'), '" + content + "')\n";
  }
  script += "z.close()\n";
  const fs::path file = zip.string() + ".py";
  std::ofstream(file) << script;
  ASSERT_EQ(std::system(("python3 '" + file.string() + "'").c_str()), 0);
  fs::remove(file);
}

std::vector<std::pair<std::string, std::string>> SetItems() {
  std::vector<std::pair<std::string, std::string>> items;
  for (const char* name : kSetNames)
    items.emplace_back(name, std::string("content of ") + name);
  return items;
}

std::string ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Damage(const fs::path& zip, const std::string& content) {
  std::ifstream in(zip, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const auto at = bytes.find(content);
  ASSERT_NE(at, std::string::npos);
  bytes[at] ^= 0x20;
  std::ofstream(zip, std::ios::binary) << bytes;
}

// The wizard on a recording view with a downloaded set in the temporary folder.
class UnpackStepTest : public ::testing::Test {
 protected:
  UnpackStepTest() : wizard(state, view, Environment()) {
    view.OnClose = [this](TCloseAction& action) { wizard.FormClose(action); };
    view.OnBackupClick = [this] { wizard.ChB_ZalohaClick(); };
    wizard.FormCreate();
    view.ShowPage(TS_Step2);
    state.ZIP_FileName = u"Tarvo2021_NET_2021K1.zip";
    state.CilDataFile = temp.Dir() + state.ZIP_FileName;
    archive = temp.Path() / "Tarvo2021_NET_2021K1.zip";
  }

  TInstallerEnvironment Environment() {
    TInstallerEnvironment environment;
    environment.ExecutablePath = installer.Dir() + u"InstallTarvoNET";
    environment.StartScript = [](int, const std::u16string&) { return true; };
    return environment;
  }

  void ExpectUsableAfterFailure() {
    EXPECT_FALSE(state.UnZipperActive);
    EXPECT_TRUE(view.Enabled(TControl::B_RozbalK2));
    EXPECT_TRUE(view.Enabled(TControl::ChB_Zaloha));
    EXPECT_FALSE(view.Visible(TControl::ArPB_Main));
    EXPECT_FALSE(view.BusyCursor());
    EXPECT_EQ(view.Taskbar().ProgressState(), tbpsNone);
    EXPECT_EQ(view.Taskbar().ProgressValue(), 0);
    EXPECT_EQ(view.Page(), TS_Step2);
    EXPECT_TRUE(Exists(archive)) << "the download is kept for another try";
  }

  TScratchFolder installer;
  TScratchFolder temp;
  TInstallerState state;
  TRecordingView view;
  TInstallerWizard wizard;
  fs::path archive;
};

TEST(UnpackFolderNameTest, EveryZipGoesInAnyCase) {
  struct {
    const char16_t* file;
    const char16_t* folder;
  } cases[] = {
      {u"Tarvo2021_2021K1.zip", u"Tarvo2021_2021K1"},
      {u"Tarvo2021_2021K1.ZIP", u"Tarvo2021_2021K1"},
      {u"a.zip.Zip", u"a"},
      {u"x.zipper", u"xper"},
      {u"plain", u"plain"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(UnpackFolderName(c.file), c.folder) << ToUtf8(c.file);
}

TEST(FailedItemsMessageTest, NamesTenThenCounts) {
  std::vector<std::u16string> names;
  for (int i = 1; i <= 13; ++i)
    names.push_back(u"f" + IntToText(i));
  const std::u16string text = FailedItemsMessage(names);
  EXPECT_NE(text.find(u"\nf10\n"), std::u16string::npos);
  EXPECT_EQ(text.find(u"f11"), std::u16string::npos);
  EXPECT_NE(text.find(u"a dalších 3"), std::u16string::npos);
}

TEST_F(UnpackStepTest, UnpacksBesideTheDownloadAndMovesOn) {
  MakeZip(archive, SetItems());
  wizard.B_RozbalK2Click();
  ASSERT_TRUE(view.ErrorBoxes().empty()) << ToUtf8(view.ErrorBoxes().front());
  EXPECT_EQ(state.InstallDir, temp.Dir() + u"Tarvo2021_NET_2021K1");
  for (const char* name : kSetNames) {
    EXPECT_TRUE(Exists(temp.Path() / "Tarvo2021_NET_2021K1" / name)) << name;
  }
  EXPECT_FALSE(Exists(archive));
  EXPECT_EQ(view.Page(), TS_Step3);
  EXPECT_FALSE(state.UnZipperActive);
  EXPECT_TRUE(view.Enabled(TControl::B_RozbalK2));
  EXPECT_FALSE(view.Enabled(TControl::ChB_Zaloha)) << "the backup choice stays frozen";
  EXPECT_FALSE(view.Visible(TControl::ArPB_Main));
  // Ten items, eleven archive-progress events: the value stops at the maximum.
  EXPECT_EQ(view.Taskbar().ProgressMaxValue(), 10);
  EXPECT_EQ(view.Taskbar().ProgressState(), tbpsNone);
  EXPECT_EQ(view.Taskbar().ProgressValue(), 0);
  EXPECT_TRUE(std::find(view.Log().begin(), view.Log().end(), "Taskbar.SetProgressValue 10 10") !=
              view.Log().end());
}

TEST_F(UnpackStepTest, UnpacksBelowAPickedBackupFolder) {
  MakeZip(archive, SetItems());
  TScratchFolder backup("Zaloha");
  view.PickedFolder = FromUtf8(backup.Path().string());
  view.SetBackupChecked(true);
  EXPECT_TRUE(view.Visible(TControl::HTMText_BackupFolder));
  EXPECT_EQ(view.LabelText(TControl::HTMText_BackupFolder), view.PickedFolder);
  wizard.B_RozbalK2Click();
  EXPECT_EQ(state.InstallDir, FromUtf8((backup.Path() / "Tarvo2021_NET_2021K1").string()));
  EXPECT_TRUE(Exists(backup.Path() / "Tarvo2021_NET_2021K1" / "Setup.exe"));
  EXPECT_FALSE(Exists(archive));
}

TEST_F(UnpackStepTest, CancellingThePickerUnticksTheBox) {
  view.PickedFolder.reset();
  view.SetBackupChecked(true);
  EXPECT_FALSE(view.BackupChecked());
  EXPECT_FALSE(view.Visible(TControl::HTMText_BackupFolder));
  EXPECT_EQ(view.LabelText(TControl::HTMText_BackupFolder), u"");
}

TEST_F(UnpackStepTest, ADamagedSetIsNotOfferedAndIsRemovedAtClose) {
  auto items = SetItems();
  items.emplace_back("../outside.txt", "escaping");
  MakeZip(archive, items);
  Damage(archive, "content of data/b.dat");
  wizard.B_RozbalK2Click();
  ASSERT_EQ(view.ErrorBoxes().size(), 1u);
  const std::u16string& message = view.ErrorBoxes().front();
  EXPECT_NE(message.find(u"data/b.dat"), std::u16string::npos) << ToUtf8(message);
  EXPECT_NE(message.find(u"../outside.txt"), std::u16string::npos) << ToUtf8(message);
  EXPECT_FALSE(Exists(temp.Path() / "outside.txt"));
  ExpectUsableAfterFailure();

  // Closing takes the download and everything the failed run wrote.
  TCloseAction action = caFree;
  wizard.FormClose(action);
  EXPECT_EQ(action, caFree);
  EXPECT_FALSE(Exists(archive));
  EXPECT_FALSE(Exists(temp.Path() / "Tarvo2021_NET_2021K1"));
}

TEST_F(UnpackStepTest, AFileThatIsNoArchiveReachesTheDefaultHandling) {
  std::ofstream(archive) << "not a zip at all";
  wizard.B_RozbalK2Click();
  ASSERT_EQ(view.ErrorBoxes().size(), 1u);
  ExpectUsableAfterFailure();
  // Fixed, a second try goes through.
  MakeZip(archive, SetItems());
  wizard.B_RozbalK2Click();
  EXPECT_EQ(view.Page(), TS_Step3);
  EXPECT_TRUE(Exists(temp.Path() / "Tarvo2021_NET_2021K1" / "Setup.exe"));
}

TEST_F(UnpackStepTest, CloseIsRefusedWhileUnpacking) {
  MakeZip(archive, SetItems());
  int refused = 0;
  view.PumpActions.push_back([&] {
    TCloseAction action = caFree;
    wizard.FormClose(action);
    if (action == caNone)
      ++refused;
  });
  wizard.B_RozbalK2Click();
  EXPECT_EQ(refused, 1);
  EXPECT_EQ(view.Page(), TS_Step3);
}

// What may already be at the unpack folder's name below a backup folder that other
// users can write into (mode 1777, like /tmp): only a real folder of the user's
// that the others may not write into is unpacked into; anything else is refused
// with a message naming it, nothing in it or behind it is touched, and another
// backup folder then works.
struct TUnpackFolderCase {
  const char* Name;
  // Makes the name inside the backup folder; canary is a folder of the user's
  // elsewhere that a link may aim at.
  void (*Make)(const fs::path& folder, const fs::path& canary);
  bool Accepted;
  const char16_t* Reason;  // in the message of a refusal
  bool NeedsOtherUser;

  friend void PrintTo(const TUnpackFolderCase& c, std::ostream* out) { *out << c.Name; }
};

class UnpackFolderTest : public UnpackStepTest,
                         public ::testing::WithParamInterface<TUnpackFolderCase> {};

TEST_P(UnpackFolderTest, OnlyTheUsersOwnFolderIsUnpackedInto) {
  const TUnpackFolderCase& c = GetParam();
  if (c.NeedsOtherUser && !testing::CanActAsOtherUser())
    GTEST_SKIP() << "needs root and setpriv to act as another user";
  MakeZip(archive, SetItems());
  TScratchFolder shared("Sdilena");
  ::chmod(shared.Path().parent_path().c_str(), 0755);
  ::chmod(shared.Path().c_str(), 01777);
  TScratchFolder elsewhere;
  const fs::path canary = elsewhere.Path();
  const fs::path folder = shared.Path() / "Tarvo2021_NET_2021K1";
  c.Make(folder, canary);
  view.PickedFolder = FromUtf8(shared.Path().string());
  view.SetBackupChecked(true);

  wizard.B_RozbalK2Click();

  if (c.Accepted) {
    ASSERT_TRUE(view.ErrorBoxes().empty()) << ToUtf8(view.ErrorBoxes().front());
    EXPECT_EQ(view.Page(), TS_Step3);
    EXPECT_TRUE(Exists(folder / "Setup.exe"));
    return;
  }
  ASSERT_EQ(view.ErrorBoxes().size(), 1u);
  const std::u16string& message = view.ErrorBoxes().front();
  EXPECT_NE(message.find(u"„" + FromUtf8(folder.string()) + u"“"), std::u16string::npos)
      << ToUtf8(message);
  EXPECT_NE(message.find(c.Reason), std::u16string::npos) << ToUtf8(message);
  ExpectUsableAfterFailure();
  EXPECT_TRUE(state.InstallDir.empty()) << "the refused folder is nothing of the installer's";
  EXPECT_TRUE(fs::is_empty(canary)) << "nothing was written behind a link";
  const std::string planted =
      fs::is_directory(fs::symlink_status(folder)) ? ReadAll(folder / "Setup.exe") : std::string();

  // Another backup folder, a second try: it goes through.
  TScratchFolder other("Zaloha");
  view.PickedFolder = FromUtf8(other.Path().string());
  view.SetBackupChecked(false);
  view.SetBackupChecked(true);
  wizard.B_RozbalK2Click();
  ASSERT_EQ(view.ErrorBoxes().size(), 1u) << ToUtf8(view.ErrorBoxes().back());
  EXPECT_EQ(view.Page(), TS_Step3);
  EXPECT_TRUE(Exists(other.Path() / "Tarvo2021_NET_2021K1" / "Setup.exe"));

  // The close takes the set (exit code 2) but nothing of the refused folder.
  state.ExitCodeSetup = 2;
  TCloseAction action = caFree;
  wizard.FormClose(action);
  EXPECT_FALSE(Exists(other.Path() / "Tarvo2021_NET_2021K1" / "Setup.exe"));
  EXPECT_NE(fs::symlink_status(folder).type(), fs::file_type::not_found);
  if (!planted.empty()) {
    EXPECT_EQ(ReadAll(folder / "Setup.exe"), planted);
  }
  EXPECT_TRUE(fs::is_empty(canary));
}

INSTANTIATE_TEST_SUITE_P(
    Table, UnpackFolderTest,
    ::testing::Values(
        TUnpackFolderCase{"missing", [](const fs::path&, const fs::path&) {}, true, u"", false},
        TUnpackFolderCase{"ownFolder",
                          [](const fs::path& f, const fs::path&) {
                            fs::create_directory(f);
                            ::chmod(f.c_str(), 0755);
                          },
                          true, u"", false},
        TUnpackFolderCase{"ownFolderOpenToAll",
                          [](const fs::path& f, const fs::path&) {
                            fs::create_directory(f);
                            ::chmod(f.c_str(), 0777);
                            std::ofstream(f / "Setup.exe") << "planted";
                          },
                          false, u"mohou zapisovat i jiní", false},
        TUnpackFolderCase{"linkToAFolder",
                          [](const fs::path& f, const fs::path& canary) {
                            fs::create_directory_symlink(canary, f);
                          },
                          false, u"odkaz nebo soubor", false},
        TUnpackFolderCase{"file",
                          [](const fs::path& f, const fs::path&) { std::ofstream(f) << "x"; },
                          false, u"odkaz nebo soubor", false},
        TUnpackFolderCase{"anotherUsersFolder",
                          [](const fs::path& f, const fs::path&) {
                            ASSERT_TRUE(testing::RunAsOtherUser("mkdir -m 777 '" + f.string() +
                                                                "' && printf planted > '" +
                                                                f.string() + "/Setup.exe'"));
                          },
                          false, u"patří jinému uživateli", true}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(UnpackStepTest, ABackupFolderThatCannotBeMadeIsNamed) {
  MakeZip(archive, SetItems());
  view.PickedFolder = temp.Dir() + u"gone";
  view.SetBackupChecked(true);
  wizard.B_RozbalK2Click();
  ASSERT_EQ(view.ErrorBoxes().size(), 1u);
  const std::u16string& message = view.ErrorBoxes().front();
  EXPECT_NE(message.find(u"„" + temp.Dir() + u"gone/Tarvo2021_NET_2021K1“"), std::u16string::npos)
      << ToUtf8(message);
  EXPECT_NE(message.find(u"nelze vytvořit"), std::u16string::npos) << ToUtf8(message);
  ExpectUsableAfterFailure();
}

}  // namespace
}  // namespace vornel
