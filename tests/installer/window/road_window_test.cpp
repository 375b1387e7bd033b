// The road from a downloaded set to the close on the real window: "Rozbalit" with
// and without a backup, "Instalovat" with setup stand-ins that exit 0, 1 then 0,
// and 2, the captions and labels of page 2, the close, and what the clean-up left
// on the disk, with the self-delete script written beside the installer.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QGuiApplication>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "box_catcher.h"
#include "installer/self_delete_script.h"
#include "installer/window/main_install_form.h"
#include "platform/text.h"
#include "qt_app.h"
#include "support/temp_dir.h"

namespace vornel {
namespace {

namespace fs = std::filesystem;
using test::TBoxCatcher;
using testing::TTempDir;

const char* const kKnownNames[] = {"Setup.exe", "Setup-1.bin", "Aktual.txt", "Ctimne.txt"};

std::string Quoted(const fs::path& path) {
  return "'" + path.string() + "'";
}

// A setup stand-in: a shell script that ends with the exit code.
void WriteStandIn(const fs::path& file, int exitCode) {
  std::ofstream(file, std::ios::binary | std::ios::trunc) << "#!/bin/sh\nexit " << exitCode << "\n";
  fs::permissions(file, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
}

// The set as Info-ZIP zip makes it; the stand-in keeps its execute bit.
void ZipSet(const fs::path& zip, int exitCode, bool anotherFile) {
  TTempDir staging;
  WriteStandIn(staging.Path() / "Setup.exe", exitCode);
  std::ofstream(staging.Path() / "Setup-1.bin", std::ios::binary) << std::string(100000, 'x');
  std::ofstream(staging.Path() / "Aktual.txt") << "2021K1\r\n";
  std::ofstream(staging.Path() / "Ctimne.txt") << "Čtěte mne\r\n";
  if (anotherFile)
    std::ofstream(staging.Path() / "Poznamka.txt") << "not one of the set's known files\n";
  const std::string command = "cd " + Quoted(staging.Path()) + " && zip -qr " + Quoted(zip) + " .";
  ASSERT_EQ(std::system(command.c_str()), 0);
}

std::string ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// An installer named InstallTarvo in a folder of its own, with the product's old
// installer file beside it, and its set downloaded into a temporary folder.
class TRoad {
 public:
  TRoad() {
    TInstallerEnvironment environment;
    environment.ExecutablePath = FromUtf8(Executable().string());
    environment.ProcessId = 4242;
    environment.StartScript = [this](const std::u16string& script) {
      StartedScript = script;
      return true;
    };
    std::ofstream(installer.Path() / "SetupTarvo.exe") << "old installer";
    form = std::make_unique<TMainInstallForm>(state, std::move(environment));
    form->OnPickFolder = [this] { return FromUtf8(backup.string()); };
    form->show();
    form->ShowPage(TS_Step2);
    state.ZIP_FileName = u"Tarvo2021_2021K1.zip";
    archive = temp.Path() / "Tarvo2021_2021K1.zip";
    state.CilDataFile = FromUtf8(archive.string());
    fs::create_directory(backup);
  }

  fs::path Executable() const { return installer.Path() / "InstallTarvo"; }
  void Click(TControl button) { qobject_cast<QAbstractButton*>(form->Control(button))->click(); }
  bool Shown(TControl control) { return !form->Control(control)->isHidden(); }

  struct TApplicationFirst {
    TApplicationFirst() { test::App(); }
  } application;
  TTempDir installer;
  TTempDir temp;
  TTempDir backupRoot;
  fs::path backup = backupRoot.Path() / "Zaloha";
  TInstallerState state;
  std::unique_ptr<TMainInstallForm> form;
  fs::path archive;
  std::u16string StartedScript;
  TBoxCatcher boxes;
};

struct TRoadCase {
  const char* Name;
  bool Backup;
  std::vector<int> ExitCodes;  // of the stand-in, one per click on "Instalovat"
  bool AnotherFile;            // a file of no known name in the set
  bool FolderStays;
  bool KnownFilesStay;
};

const TRoadCase RoadCases[] = {
    {"no backup, exit 0", false, {0}, false, false, false},
    {"no backup, exit 1 then 0, another file", false, {1, 0}, true, true, false},
    {"backup, exit 0", true, {0}, false, true, true},
    {"backup, exit 1 then 0", true, {1, 0}, true, true, true},
    {"backup, exit 2", true, {2}, false, false, false},
    {"backup, exit 2, another file", true, {2}, true, true, false},
};

TEST(RoadWindowTest, FromRozbalitToTheClose) {
  for (const TRoadCase& c : RoadCases) {
    SCOPED_TRACE(c.Name);
    TRoad road;
    ZipSet(road.archive, c.ExitCodes.front(), c.AnotherFile);
    if (c.Backup)
      road.Click(TControl::ChB_Zaloha);
    ASSERT_EQ(road.form->BackupChecked(), c.Backup);

    road.Click(TControl::B_RozbalK2);
    ASSERT_EQ(road.form->PageIndex(), TS_Step3);
    const fs::path folder = (c.Backup ? road.backup : road.temp.Path()) / "Tarvo2021_2021K1";
    ASSERT_EQ(road.state.InstallDir, FromUtf8(folder.string()));
    EXPECT_FALSE(fs::exists(road.archive));

    bool failedBefore = false;
    for (std::size_t i = 0; i < c.ExitCodes.size(); ++i) {
      const int code = c.ExitCodes[i];
      SCOPED_TRACE("exit code " + std::to_string(code));
      if (i > 0)
        WriteStandIn(folder / "Setup.exe", code);  // the user mended something
      road.Click(TControl::B_InstalK3);
      EXPECT_EQ(road.state.ExitCodeSetup, code);
      EXPECT_FALSE(road.form->isMinimized());
      EXPECT_TRUE(road.form->Control(TControl::B_InstalK3)->isEnabled());
      if (code == 0) {
        EXPECT_EQ(road.form->ButtonCaption(TControl::B_InstalK3), u"Dokončit");
        EXPECT_TRUE(road.Shown(TControl::HTMText_InfoSetup_OK));
        EXPECT_FALSE(road.Shown(TControl::B_Storno));
        EXPECT_EQ(road.Shown(TControl::HTMText_InfoSetup_NoOK), failedBefore);
      } else {
        EXPECT_EQ(road.form->ButtonCaption(TControl::B_InstalK3), u"Instalovat");
        EXPECT_TRUE(road.Shown(TControl::HTMText_InfoSetup_NoOK));
        EXPECT_FALSE(road.Shown(TControl::HTMText_InfoSetup_OK));
        EXPECT_TRUE(road.Shown(TControl::B_Storno));
        failedBefore = true;
      }
    }
    // "Dokončit" after a success, "Storno" after a failure: both close.
    road.Click(c.ExitCodes.back() == 0 ? TControl::B_InstalK3 : TControl::B_Storno);
    EXPECT_TRUE(road.form->isHidden()) << "the window closed";
    EXPECT_TRUE(road.boxes.Boxes.empty()) << road.boxes.Boxes.front().Text.toStdString();

    EXPECT_EQ(fs::exists(folder), c.FolderStays);
    for (const char* name : kKnownNames)
      EXPECT_EQ(fs::exists(folder / name), c.KnownFilesStay) << name;
    if (c.AnotherFile) {
      EXPECT_TRUE(fs::exists(folder / "Poznamka.txt"));
    }
    EXPECT_FALSE(fs::exists(road.archive));
    EXPECT_FALSE(fs::exists(road.installer.Path() / "SetupTarvo.exe"));

    // The script beside the installer, started, naming exactly its files.
    const fs::path script = road.installer.Path() / "SelfDelete.sh";
    EXPECT_EQ(road.StartedScript, FromUtf8(script.string()));
    const std::string text = ReadAll(script);
    for (const fs::path& file : {road.Executable(), road.installer.Path() / "libcrypto.so.3",
                                 road.installer.Path() / "libssl.so.3"}) {
      EXPECT_NE(text.find(Quoted(file)), std::string::npos) << file << "\n" << text;
    }
    EXPECT_NE(text.find("4242"), std::string::npos) << text;
  }
}

TEST(RoadWindowTest, ClosingWhileTheSetupRunsLeavesEverythingInPlace) {
  TRoad road;
  ZipSet(road.archive, 0, false);
  road.Click(TControl::B_RozbalK2);
  const fs::path folder = road.temp.Path() / "Tarvo2021_2021K1";
  // The stand-in waits for a file that the test creates after its close request.
  const fs::path go = road.temp.Path() / "go";
  std::ofstream(folder / "Setup.exe", std::ios::trunc)
      << "#!/bin/sh\nwhile [ ! -e " << Quoted(go) << " ]; do sleep 0.05; done\nexit 0\n";
  bool refused = false;
  QTimer::singleShot(200, road.form.get(), [&] {
    refused = !road.form->close();
    std::ofstream(go) << "go";
  });
  road.Click(TControl::B_InstalK3);
  EXPECT_TRUE(refused);
  EXPECT_TRUE(road.StartedScript.empty());
  EXPECT_TRUE(fs::exists(folder / "Setup.exe"));
  EXPECT_EQ(road.form->ButtonCaption(TControl::B_InstalK3), u"Dokončit");
  road.Click(TControl::B_InstalK3);
  EXPECT_FALSE(fs::exists(folder));
  EXPECT_FALSE(road.StartedScript.empty());
}

}  // namespace
}  // namespace vornel
