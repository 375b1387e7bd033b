#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "installer/installer_wizard.h"
#include "installer/self_delete_script.h"
#include "installer/support/recording_view.h"
#include "platform/file_system.h"
#include "platform/text.h"
#include "scratch_folder.h"

namespace vornel {
namespace {

using testing::Exists;
using testing::TScratchFolder;

const char* const kSetFiles[] = {"Setup.exe",   "Setup-1.bin", "Setup-2.bin", "Setup-3.bin",
                                 "Setup-4.bin", "Ctimne.txt",  "Aktual.txt"};

std::string ReadAll(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The installer's folder holds the installer, both old installer files and a partial
// download; the set is unpacked into a folder of its own.
class ClosingTest : public ::testing::Test {
 protected:
  ClosingTest() : wizard(state, view, Environment()) {
    view.OnClose = [this](TCloseAction& action) { wizard.FormClose(action); };
    installer.Write("InstallTarvo");
    installer.Write("SetupTarvo.exe");
    installer.Write("SetupKveloWin.exe");
    temp.Write("Tarvo2021_2021K1.zip");
    for (const char* name : kSetFiles)
      set.Write(name);
    wizard.FormCreate();
    state.CilDataFile = temp.Dir() + u"Tarvo2021_2021K1.zip";
    state.InstallDir = ExcludeTrailingPathDelimiter(set.Dir());
  }

  TInstallerEnvironment Environment() {
    TInstallerEnvironment environment;
    environment.ExecutablePath = installer.Dir() + u"InstallTarvo";
    environment.ProcessId = 4242;
    environment.StartScript = [this](int, const std::u16string& path) {
      started.push_back(path);
      return true;
    };
    return environment;
  }

  TCloseAction Close() {
    TCloseAction action = caFree;
    wizard.FormClose(action);
    return action;
  }

  // The scripts in the installer's folder.
  std::vector<std::filesystem::path> Scripts() const {
    std::vector<std::filesystem::path> scripts;
    for (const auto& entry : std::filesystem::directory_iterator(installer.Path())) {
      if (entry.path().filename().string().starts_with("SelfDelete-"))
        scripts.push_back(entry.path());
    }
    return scripts;
  }
  // The one script started.
  std::filesystem::path Script() const {
    EXPECT_EQ(started.size(), 1u);
    return started.empty() ? std::filesystem::path() : std::filesystem::path(ToUtf8(started[0]));
  }

  int SetFilesLeft() const {
    int left = 0;
    for (const char* name : kSetFiles)
      left += Exists(set.Path() / name) ? 1 : 0;
    return left;
  }

  TScratchFolder installer{"Vornel 'it's' $HOME `id`"};
  TScratchFolder temp;
  TScratchFolder set{"Tarvo2021_2021K1"};
  TInstallerState state;
  TRecordingView view;
  TInstallerWizard wizard;
  std::vector<std::u16string> started;
};

TEST_F(ClosingTest, EveryBusyFlagRefusesAndLeavesEverythingInPlace) {
  struct {
    const char* Flag;
    void (*Set)(TInstallerState&);
  } const cases[] = {
      {"ExitCodeSetup", [](TInstallerState& s) { s.ExitCodeSetup = STILL_ACTIVE; }},
      {"DownloadActive", [](TInstallerState& s) { s.DownloadActive = true; }},
      {"UnZipperActive", [](TInstallerState& s) { s.UnZipperActive = true; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Flag);
    c.Set(state);
    state.DownloadAborted = true;
    view.SetWindowState(wsNormal);

    EXPECT_EQ(Close(), caNone);

    EXPECT_EQ(view.WindowState(), wsMinimized);
    EXPECT_EQ(SetFilesLeft(), 7);
    EXPECT_TRUE(Exists(temp.Path() / "Tarvo2021_2021K1.zip"));
    EXPECT_TRUE(Exists(installer.Path() / "SetupTarvo.exe"));
    EXPECT_TRUE(Scripts().empty());
    EXPECT_TRUE(started.empty());
    state.ExitCodeSetup = 0;
    state.DownloadActive = state.UnZipperActive = false;
  }
  view.Close();
  EXPECT_TRUE(view.Closed());
  EXPECT_EQ(started.size(), 1u);
}

struct TCleanUpCase {
  const char* Name;
  bool BackupTicked;
  std::uint32_t ExitCode;
  bool OtherFile;   // a file and a subfolder the set does not know lie in the folder
  bool SetRemoved;  // the known files are deleted
  bool FolderRemoved;
};

class CleanUpTest : public ClosingTest, public ::testing::WithParamInterface<TCleanUpCase> {};

TEST_P(CleanUpTest, SetFolderFollowsTheBoxAndTheExitCode) {
  const TCleanUpCase& c = GetParam();
  if (c.OtherFile) {
    set.Write("Jiny.txt");
    set.Write("podslozka/Setup.exe");
  }
  view.SetBackupChecked(c.BackupTicked);
  state.ExitCodeSetup = c.ExitCode;

  EXPECT_EQ(Close(), caFree);

  EXPECT_EQ(SetFilesLeft(), c.SetRemoved ? 0 : 7);
  EXPECT_EQ(Exists(set.Path()), !c.FolderRemoved);
  if (c.OtherFile) {
    EXPECT_TRUE(Exists(set.Path() / "Jiny.txt"));
    EXPECT_TRUE(Exists(set.Path() / "podslozka" / "Setup.exe"));
  }
  // Not aborted: the download stays; the script is written and started in any case.
  EXPECT_TRUE(Exists(temp.Path() / "Tarvo2021_2021K1.zip"));
  ASSERT_EQ(started.size(), 1u);
  EXPECT_EQ(Scripts(), std::vector<std::filesystem::path>{Script()});
  EXPECT_EQ(ExtractFilePath(started[0]), installer.Dir());
  EXPECT_TRUE(view.ErrorBoxes().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, CleanUpTest,
    ::testing::Values(TCleanUpCase{"notTicked_exit0", false, 0, false, true, true},
                      TCleanUpCase{"notTicked_exit1_otherFile", false, 1, true, true, false},
                      TCleanUpCase{"ticked_exit0", true, 0, false, false, false},
                      TCleanUpCase{"ticked_exit1", true, 1, false, false, false},
                      TCleanUpCase{"ticked_exit2", true, 2, false, true, true},
                      TCleanUpCase{"ticked_exit2_otherFile", true, 2, true, true, false}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(ClosingTest, AbortedDownloadIsDeleted) {
  state.DownloadAborted = true;
  EXPECT_EQ(Close(), caFree);
  EXPECT_FALSE(Exists(temp.Path() / "Tarvo2021_2021K1.zip"));
}

TEST_F(ClosingTest, OldInstallerFileFollowsTheIdentity) {
  struct {
    const char16_t* Identity;
    bool TarvoLeft, KveloLeft;
  } const cases[] = {
      {u"INSTALLTARVO", false, true},
      {u"INSTALLTARVONET", false, true},
      {u"INSTALLKVELOWIN", true, false},
      {u"INSTALLTARVO (1)", true, true},
      {u"", true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(ToUtf8(c.Identity));
    installer.Write("SetupTarvo.exe");
    installer.Write("SetupKveloWin.exe");
    for (const auto& script : Scripts())
      std::filesystem::remove(script);
    started.clear();
    state.IDApp = c.Identity;

    EXPECT_EQ(Close(), caFree);

    EXPECT_EQ(Exists(installer.Path() / "SetupTarvo.exe"), c.TarvoLeft);
    EXPECT_EQ(Exists(installer.Path() / "SetupKveloWin.exe"), c.KveloLeft);
    EXPECT_TRUE(Exists(Script()));
  }
}

TEST_F(ClosingTest, BeforeUnpackingNoSetFileIsAimedAt) {
  EXPECT_TRUE(KnownSetFiles(u"").empty());
  const std::vector<std::u16string> known = KnownSetFiles(u"/t/Set");
  ASSERT_EQ(known.size(), 7u);
  EXPECT_EQ(known.front(), u"/t/Set/Setup.exe");
  EXPECT_EQ(known.back(), u"/t/Set/Aktual.txt");

  state.InstallDir.clear();
  state.CilDataFile.clear();
  EXPECT_EQ(Close(), caFree);
  EXPECT_EQ(SetFilesLeft(), 7);
  EXPECT_EQ(started.size(), 1u);
}

TEST_F(ClosingTest, WrittenScriptIsTheInstallersOwnNewFile) {
  EXPECT_EQ(Close(), caFree);
  const std::filesystem::path script = Script();
  EXPECT_EQ(ReadAll(script),
            ToUtf8(SelfDeleteScriptText(started[0], installer.Dir() + u"InstallTarvo", 4242)));
  struct stat st {};
  ASSERT_EQ(::lstat(script.c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  EXPECT_EQ(st.st_mode & 07777, 0700u);
  EXPECT_EQ(st.st_uid, ::geteuid());
  EXPECT_EQ(st.st_nlink, 1u);
}

TEST_F(ClosingTest, EveryCloseWritesAScriptOfItsOwnName) {
  installer.Write("SelfDelete.sh", std::string(5000, '#'));
  EXPECT_EQ(Close(), caFree);
  EXPECT_EQ(Close(), caFree);
  ASSERT_EQ(started.size(), 2u);
  EXPECT_NE(started[0], started[1]);
  EXPECT_EQ(Scripts().size(), 2u);
  EXPECT_EQ(ReadAll(installer.Path() / "SelfDelete.sh"), std::string(5000, '#'))
      << "a file of the old name is neither reused nor replaced";
}

// What another user of a shared download folder may have put at the names the
// closing knows beforehand: a link to the user's file, a FIFO that would feed the
// shell, a file of his own.
TEST_F(ClosingTest, NothingPlantedAtTheClosingsNamesIsFollowedReadOrDeleted) {
  const TScratchFolder user;
  const std::filesystem::path canary = user.Write("canary", "the user's own file");
  for (const char* kind : {"link", "fifo", "foreign"}) {
    SCOPED_TRACE(kind);
    if (std::string(kind) == "foreign" && ::geteuid() != 0)
      continue;  // only root can give a file to another user
    started.clear();
    for (const auto& script : Scripts())
      std::filesystem::remove(script);
    std::vector<int> fifos;
    for (const char* name : {"SelfDelete.sh", "SetupTarvo.exe"}) {
      const std::filesystem::path at = installer.Path() / name;
      std::filesystem::remove(at);
      if (std::string(kind) == "link") {
        std::filesystem::create_symlink(canary, at);
      } else if (std::string(kind) == "fifo") {
        ASSERT_EQ(::mkfifo(at.c_str(), 0666), 0);
        // Held open for reading and writing: the commands wait in it for a reader.
        const int fd = ::open(at.c_str(), O_RDWR | O_NONBLOCK);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, "touch pwned\n", 12), 12);
        fifos.push_back(fd);
      } else {
        installer.Write(name, "his");
        ASSERT_EQ(::chown(at.c_str(), 65534, 65534), 0);
      }
    }
    state.IDApp = u"INSTALLTARVO";

    EXPECT_EQ(Close(), caFree);

    EXPECT_EQ(ReadAll(canary), "the user's own file");
    for (const char* name : {"SelfDelete.sh", "SetupTarvo.exe"}) {
      struct stat st {};
      EXPECT_EQ(::lstat((installer.Path() / name).c_str(), &st), 0) << name << " stays";
    }
    for (int fd : fifos) {
      char buffer[64];
      EXPECT_EQ(::read(fd, buffer, sizeof buffer), 12) << "nothing was read from the FIFO";
      ::close(fd);
    }
    // The script is a new regular file of its own name all the same.
    EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(Script())));
    EXPECT_TRUE(view.ErrorBoxes().empty());
  }
}

TEST_F(ClosingTest, UnwritableScriptIsShownOnceAndTheWindowStillCloses) {
  state.CurrentDir = installer.Dir() + u"gone/";  // no file can be created there
  state.DownloadAborted = true;

  view.Close();

  EXPECT_TRUE(view.Closed());
  ASSERT_EQ(view.ErrorBoxes().size(), 1u);
  EXPECT_NE(ToUtf8(view.ErrorBoxes()[0]).find("Cannot create file"), std::string::npos);
  EXPECT_TRUE(started.empty());
  // The rest of the clean-up ran.
  EXPECT_EQ(SetFilesLeft(), 0);
  EXPECT_FALSE(Exists(temp.Path() / "Tarvo2021_2021K1.zip"));
}

TEST_F(ClosingTest, ATemporaryFolderMadeFreshForTheRunGoesWhenEmpty) {
  const std::string uid = std::to_string(::geteuid());
  struct {
    std::string Folder;
    bool Aborted;  // the partial download is deleted, so the folder is empty
    bool Stays;
  } const cases[] = {
      {"vornel-" + uid + "-a1B2c3", true, false},
      {"vornel-" + uid + "-a1B2c3", false, true},  // the complete download stays in it
      {"vornel-" + uid, true, true},               // shared by every run of the user
      {"vornel", true, true},                      // the runtime folder's
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Folder + (c.Aborted ? " aborted" : ""));
    const TScratchFolder base(c.Folder);
    base.Write("Tarvo2021_2021K1.zip");
    state.CilDataFile = base.Dir() + u"Tarvo2021_2021K1.zip";
    state.DownloadAborted = c.Aborted;
    EXPECT_EQ(Close(), caFree);
    EXPECT_EQ(Exists(base.Path()), c.Stays);
  }
}

TEST_F(ClosingTest, FailedScriptStartIsNotReported) {
  TInstallerEnvironment environment = Environment();
  environment.StartScript = [](int, const std::u16string&) { return false; };
  TInstallerWizard other(state, view, environment);
  TCloseAction action = caFree;
  other.FormClose(action);
  EXPECT_EQ(action, caFree);
  EXPECT_TRUE(view.ErrorBoxes().empty());
}

}  // namespace
}  // namespace vornel
