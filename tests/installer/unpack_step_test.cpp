#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "installer/download_client.h"
#include "installer/installer_wizard.h"
#include "installer/support/recording_view.h"
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
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// One deflated item, written by Python's zipfile, with a byte in the middle of its
// compressed data changed.
void MakeDamagedDeflatedZip(const fs::path& zip) {
  const std::string script =
      "import sys, zipfile\n"
      "with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED) as z:\n"
      "    z.writestr('Setup-1.bin', bytes(range(256)) * 64)\n";
  const fs::path file = zip.string() + ".py";
  std::ofstream(file) << script;
  ASSERT_EQ(std::system(("python3 '" + file.string() + "' '" + zip.string() + "'").c_str()), 0);
  fs::remove(file);
  std::string bytes = ReadAll(zip);
  const std::size_t data = 30 + std::string("Setup-1.bin").size();  // no extra field
  ASSERT_GT(bytes.size(), data + 64);
  bytes[data + 8] = static_cast<char>(bytes[data + 8] ^ 0x5A);
  std::ofstream(zip, std::ios::binary) << bytes;
}

// Gives the item of that name an unknown compression method, in its local and
// its central header alike.
void SetMethod(const fs::path& zip, const std::string& name, std::uint8_t method) {
  std::string bytes = ReadAll(zip);
  for (const auto& [signature, methodAt, nameAt] :
       {std::tuple{std::string("PK\x03\x04", 4), 8, 30},
        std::tuple{std::string("PK\x01\x02", 4), 10, 46}}) {
    for (auto at = bytes.find(signature); at != std::string::npos;
         at = bytes.find(signature, at + 1)) {
      if (bytes.compare(at + nameAt, name.size(), name) == 0)
        bytes[at + methodAt] = static_cast<char>(method);
    }
  }
  std::ofstream(zip, std::ios::binary) << bytes;
}

void Damage(const fs::path& zip, const std::string& content) {
  std::ifstream in(zip, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const auto at = bytes.find(content);
  ASSERT_NE(at, std::string::npos);
  bytes[at] ^= 0x20;
  std::ofstream(zip, std::ios::binary) << bytes;
}

// A download client that writes the given file's bytes as the body.
class TFileClient : public TDownloadClient {
 public:
  explicit TFileClient(fs::path body) : FBody(std::move(body)) {}
  void Get(const std::u16string&, TStream& stream) override {
    const std::string bytes = ReadAll(FBody);
    if (OnWorkBegin)
      OnWorkBegin(wmRead, static_cast<std::int64_t>(bytes.size()));
    stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    if (OnWork)
      OnWork(wmRead, static_cast<std::int64_t>(bytes.size()));
    if (OnWorkEnd)
      OnWorkEnd(wmRead);
    ++Gets;
  }
  void Disconnect() override {}
  int Gets = 0;

 private:
  fs::path FBody;
};

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

  // The folder's fault: page 1 usable again, to pick another folder.
  void ExpectUsableAfterFailure() {
    EXPECT_FALSE(state.UnZipperActive);
    EXPECT_TRUE(view.Enabled(TControl::B_RozbalK2));
    EXPECT_TRUE(view.Enabled(TControl::ChB_Zaloha));
    EXPECT_FALSE(view.Visible(TControl::ArPB_Main));
    EXPECT_TRUE(view.Visible(TControl::HTMText_Krok2_1));
    EXPECT_FALSE(view.Visible(TControl::HTMText_Krok2_2));
    EXPECT_FALSE(view.BusyCursor());
    EXPECT_EQ(view.Taskbar().ProgressState(), tbpsNone);
    EXPECT_EQ(view.Taskbar().ProgressValue(), 0);
    EXPECT_EQ(view.Page(), TS_Step2);
    EXPECT_TRUE(Exists(archive)) << "the download is kept for another try";
  }

  // The set's fault: the download gone, page 0 idle, so "Start" fetches it again;
  // page 1 ready for the next set.
  void ExpectBackAtTheDownload() {
    EXPECT_EQ(view.Page(), TS_Step1);
    EXPECT_FALSE(Exists(archive)) << "the damaged download is deleted";
    EXPECT_TRUE(view.Enabled(TControl::B_StartK1));
    EXPECT_FALSE(view.Visible(TControl::B_StornoDown));
    EXPECT_FALSE(view.Visible(TControl::ArPB_Down));
    EXPECT_FALSE(state.DownloadActive);
    EXPECT_FALSE(state.UnZipperActive);
    EXPECT_FALSE(view.BusyCursor());
    EXPECT_EQ(view.Taskbar().ProgressState(), tbpsNone);
    EXPECT_EQ(view.Taskbar().ProgressValue(), 0);
    EXPECT_TRUE(view.Enabled(TControl::B_RozbalK2));
    EXPECT_TRUE(view.Enabled(TControl::ChB_Zaloha));
    EXPECT_TRUE(view.Visible(TControl::HTMText_Krok2_1));
    EXPECT_FALSE(view.Visible(TControl::HTMText_Krok2_2));
    EXPECT_FALSE(view.Visible(TControl::ArPB_Main));
  }

  // "Start" with a sound set on the server, then "Rozbalit".
  void DownloadASoundSetAndUnpack() {
    const fs::path sound = temp.Path() / "served.zip";
    MakeZip(sound, SetItems());
    auto client = std::make_unique<TFileClient>(sound);
    TFileClient* served = client.get();
    wizard.DownloadStep().SetClient(std::move(client));
    wizard.DownloadStep().TempFolder = [this] { return temp.Dir(); };
    wizard.B_StartK1Click();
    EXPECT_EQ(served->Gets, 1);
    EXPECT_EQ(state.CilDataFile, FromUtf8(archive.string()));
    ASSERT_EQ(view.Page(), TS_Step2);
    wizard.B_RozbalK2Click();
    EXPECT_EQ(view.Page(), TS_Step3);
    EXPECT_TRUE(Exists(temp.Path() / "Tarvo2021_NET_2021K1" / "data/b.dat"));
    EXPECT_FALSE(Exists(archive));
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

TEST(FailedItemsMessageTest, NamesTenThenCountsAndSaysWhatToDo) {
  std::vector<std::u16string> names;
  for (int i = 1; i <= 13; ++i)
    names.push_back(u"f" + IntToText(i));
  for (TUnpackFault fault : {TUnpackFault::ufSet, TUnpackFault::ufFolder}) {
    const std::u16string text = FailedItemsMessage(names, fault);
    EXPECT_NE(text.find(u"\nf10\n"), std::u16string::npos);
    EXPECT_EQ(text.find(u"f11"), std::u16string::npos);
    EXPECT_NE(text.find(u"a dalších 3"), std::u16string::npos);
  }
  EXPECT_EQ(FailedItemsMessage({u"a.txt"}, TUnpackFault::ufSet),
            u"Instalační sada je poškozená. Tyto soubory z ní nelze rozbalit:\na.txt\n\n"
            u"Stažený soubor byl smazán. Stáhněte instalační sadu znovu tlačítkem [Start].");
  EXPECT_EQ(FailedItemsMessage({u"a.txt"}, TUnpackFault::ufFolder),
            u"Instalační sadu se nepodařilo rozbalit celou. Tyto soubory nelze do složky "
            u"zapsat:\na.txt\n\nRozbalte instalační sadu do jiné složky nebo uvolněte místo na "
            u"disku.");
  EXPECT_EQ(DamagedSetMessage(u"Invalid file - not a PKZip file"),
            u"Instalační sada je poškozená a nelze ji rozbalit:\nInvalid file - not a PKZip "
            u"file.\n\nStažený soubor byl smazán. Stáhněte instalační sadu znovu tlačítkem "
            u"[Start].");
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

// Whatever is wrong with the archive itself, the set is deleted and downloaded
// again from page 0; the message names what failed.
TEST_F(UnpackStepTest, ADamagedSetIsDeletedAndDownloadedAgain) {
  const struct TCase {
    const char* What;
    std::function<void(const fs::path&)> Make;
    const char16_t* Message;  // the start of the box's text
    const char16_t* Names;    // a name or text the box holds
  } cases[] = {
      {"a failed CRC check",
       [](const fs::path& zip) {
         MakeZip(zip, SetItems());
         Damage(zip, "content of data/b.dat");
       },
       u"Instalační sada je poškozená. Tyto soubory z ní nelze rozbalit:\ndata/b.dat\n\n",
       u"data/b.dat"},
      {"an unsafe name",
       [](const fs::path& zip) {
         auto items = SetItems();
         items.emplace_back("../outside.txt", "escaping");
         MakeZip(zip, items);
       },
       u"Instalační sada je poškozená. Tyto soubory z ní nelze rozbalit:\n../outside.txt\n\n",
       u"../outside.txt"},
      {"an unsupported method",
       [](const fs::path& zip) {
         MakeZip(zip, SetItems());
         SetMethod(zip, "Aktual.txt", 11);
       },
       u"Instalační sada je poškozená. Tyto soubory z ní nelze rozbalit:\nAktual.txt\n\n",
       u"Aktual.txt"},
      {"damaged compressed data", [](const fs::path& zip) { MakeDamagedDeflatedZip(zip); },
       u"Instalační sada je poškozená. Tyto soubory z ní nelze rozbalit:\nSetup-1.bin\n\n",
       u"Setup-1.bin"},
      {"no archive at all", [](const fs::path& zip) { std::ofstream(zip) << "not a zip at all"; },
       u"Instalační sada je poškozená a nelze ji rozbalit:\nUnhandled Archive Type.",
       u"Stáhněte instalační sadu znovu tlačítkem [Start]."},
      {"a download cut short",
       [](const fs::path& zip) {
         MakeZip(zip, SetItems());
         fs::resize_file(zip, fs::file_size(zip) / 2);
       },
       u"Instalační sada je poškozená a nelze ji rozbalit:\n", u"Stažený soubor byl smazán."},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    TScratchFolder folder;
    TRecordingView view;
    TInstallerState state;
    TInstallerEnvironment environment = Environment();
    TInstallerWizard wizard(state, view, environment);
    view.OnBackupClick = [&] { wizard.ChB_ZalohaClick(); };
    wizard.FormCreate();
    view.ShowPage(TS_Step2);
    state.ZIP_FileName = u"Tarvo2021_NET_2021K1.zip";
    state.CilDataFile = folder.Dir() + state.ZIP_FileName;
    const fs::path zip = folder.Path() / "Tarvo2021_NET_2021K1.zip";
    c.Make(zip);
    wizard.B_RozbalK2Click();
    ASSERT_EQ(view.ErrorBoxes().size(), 1u);
    const std::u16string& message = view.ErrorBoxes().front();
    EXPECT_EQ(message.rfind(c.Message, 0), 0u) << ToUtf8(message);
    EXPECT_NE(message.find(c.Names), std::u16string::npos) << ToUtf8(message);
    EXPECT_EQ(view.Page(), TS_Step1);
    EXPECT_FALSE(Exists(zip));
    EXPECT_TRUE(view.Enabled(TControl::B_StartK1));
    EXPECT_TRUE(view.Enabled(TControl::B_RozbalK2));
    EXPECT_TRUE(view.Enabled(TControl::ChB_Zaloha));
    EXPECT_FALSE(state.UnZipperActive);
    EXPECT_FALSE(Exists(folder.Path() / "outside.txt"));
    EXPECT_FALSE(Exists(folder.Path().parent_path() / "outside.txt"));
  }
}

TEST_F(UnpackStepTest, AfterADamagedSetStartDownloadsItAgain) {
  auto items = SetItems();
  items.emplace_back("../outside.txt", "escaping");
  MakeZip(archive, items);
  Damage(archive, "content of data/b.dat");
  wizard.B_RozbalK2Click();
  ASSERT_EQ(view.ErrorBoxes().size(), 1u);
  const std::u16string& message = view.ErrorBoxes().front();
  EXPECT_NE(message.find(u"data/b.dat"), std::u16string::npos) << ToUtf8(message);
  EXPECT_NE(message.find(u"../outside.txt"), std::u16string::npos) << ToUtf8(message);
  EXPECT_EQ(message.find(u"data/a.dat"), std::u16string::npos) << ToUtf8(message);
  ExpectBackAtTheDownload();

  DownloadASoundSetAndUnpack();
  EXPECT_EQ(view.ErrorBoxes().size(), 1u);
}

TEST_F(UnpackStepTest, ADamagedSetLeavesNothingAfterTheClose) {
  MakeZip(archive, SetItems());
  Damage(archive, "content of data/b.dat");
  wizard.B_RozbalK2Click();
  ExpectBackAtTheDownload();
  EXPECT_TRUE(Exists(temp.Path() / "Tarvo2021_NET_2021K1" / "data/a.dat"));

  // Closing takes everything the failed run wrote.
  TCloseAction action = caFree;
  wizard.FormClose(action);
  EXPECT_EQ(action, caFree);
  EXPECT_FALSE(Exists(archive));
  EXPECT_FALSE(Exists(temp.Path() / "Tarvo2021_NET_2021K1"));
}

// A folder that cannot take the set leaves the unpack page as it was, with the download,
// so that another backup folder can be picked.
TEST_F(UnpackStepTest, AFolderThatCannotTakeTheSetKeepsTheUnpackPageAndTheDownload) {
  MakeZip(archive, SetItems());
  TScratchFolder backup;
  const fs::path file = backup.Write("a-file");
  view.PickedFolder = FromUtf8((file / "Zaloha").string());  // below a file
  view.SetBackupChecked(true);
  wizard.B_RozbalK2Click();
  ASSERT_EQ(view.ErrorBoxes().size(), 1u);
  const std::u16string& message = view.ErrorBoxes().front();
  EXPECT_NE(message.find(u"„" + FromUtf8((file / "Zaloha" / "Tarvo2021_NET_2021K1").string()) +
                         u"“ nelze instalační sadu rozbalit: složku nelze vytvořit"),
            std::u16string::npos)
      << ToUtf8(message);
  ExpectUsableAfterFailure();

  // Another folder picked, the same download goes through.
  view.SetBackupChecked(false);
  view.PickedFolder = FromUtf8(backup.Path().string());
  view.SetBackupChecked(true);
  wizard.B_RozbalK2Click();
  EXPECT_EQ(view.Page(), TS_Step3);
  EXPECT_TRUE(Exists(backup.Path() / "Tarvo2021_NET_2021K1" / "Setup.exe"));
  EXPECT_FALSE(Exists(archive));
}

TEST_F(UnpackStepTest, FilesThatCannotBeWrittenKeepTheUnpackPageEvenWithDamageBeside) {
  MakeZip(archive, SetItems());
  Damage(archive, "content of data/b.dat");
  // A folder where the set's program would go: the file cannot be created.
  fs::create_directories(temp.Path() / "Tarvo2021_NET_2021K1" / "Setup.exe" / "in-the-way");
  wizard.B_RozbalK2Click();
  ASSERT_EQ(view.ErrorBoxes().size(), 1u);
  const std::u16string& message = view.ErrorBoxes().front();
  EXPECT_EQ(message.rfind(u"Instalační sadu se nepodařilo rozbalit celou. Tyto soubory nelze do "
                          u"složky zapsat:\n",
                          0),
            0u)
      << ToUtf8(message);
  EXPECT_NE(message.find(u"Setup.exe"), std::u16string::npos) << ToUtf8(message);
  EXPECT_NE(message.find(u"data/b.dat"), std::u16string::npos) << ToUtf8(message);
  EXPECT_NE(message.find(u"Rozbalte instalační sadu do jiné složky"), std::u16string::npos);
  ExpectUsableAfterFailure();
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
