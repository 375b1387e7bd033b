// The road from page 2 to the close, shared by the window tests that reach page 2
// from a placed download and the whole-road tests that download the set first:
// sets with setup stand-ins made by Info-ZIP zip and Python's zipfile, an
// installer in a folder of its own, and the walk "Rozbalit" → "Instalovat" → close
// with what the clean-up must leave on the disk.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "box_catcher.h"
#include "installer/window/main_install_form.h"
#include "platform/text.h"
#include "qt_app.h"
#include "support/temp_dir.h"

namespace vornel::test {

namespace fs = std::filesystem;

inline const char* const kKnownNames[] = {"Setup.exe", "Setup-1.bin", "Aktual.txt", "Ctimne.txt"};

inline std::string Quoted(const fs::path& path) {
  return "'" + path.string() + "'";
}

inline std::string ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The text of a setup stand-in: a shell script that ends with the exit code.
inline std::string StandInScript(int exitCode) {
  return "#!/bin/sh\nexit " + std::to_string(exitCode) + "\n";
}

inline void WriteStandIn(const fs::path& file, int exitCode) {
  std::ofstream(file, std::ios::binary | std::ios::trunc) << StandInScript(exitCode);
  fs::permissions(file, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
}

// The set as Info-ZIP zip makes it; the stand-in keeps its execute bit.
inline void ZipSet(const fs::path& zip, int exitCode, bool anotherFile) {
  testing::TTempDir staging;
  WriteStandIn(staging.Path() / "Setup.exe", exitCode);
  std::ofstream(staging.Path() / "Setup-1.bin", std::ios::binary) << std::string(100000, 'x');
  std::ofstream(staging.Path() / "Aktual.txt") << "2021K1\r\n";
  std::ofstream(staging.Path() / "Ctimne.txt") << "Čtěte mne\r\n";
  if (anotherFile)
    std::ofstream(staging.Path() / "Poznamka.txt") << "not one of the set's known files\n";
  const std::string command = "cd " + Quoted(staging.Path()) + " && zip -qr " + Quoted(zip) + " .";
  ASSERT_EQ(std::system(command.c_str()), 0);
}

// One item of a set made by Python's zipfile: its name, its content and the Unix
// permission mode kept in the upper half of its external attributes.
struct TZipItem {
  std::string Name;
  std::string Content;
  unsigned Mode = 0644;
  bool Deflated = false;
};

// Writes the items with Python's zipfile (as made on a Unix host), contents passed
// as files so any byte goes through unchanged.
inline void ZipWithPython(const fs::path& zip, const std::vector<TZipItem>& items) {
  testing::TTempDir staging;
  std::string script =
      "import sys, zipfile\n"
      "with zipfile.ZipFile(sys.argv[1], 'w') as z:\n";
  for (std::size_t i = 0; i < items.size(); ++i) {
    const TZipItem& item = items[i];
    const fs::path content = staging.Path() / std::to_string(i);
    std::ofstream(content, std::ios::binary) << item.Content;
    script += "    i = zipfile.ZipInfo(" + Quoted(item.Name) + ", (2021, 1, 1, 12, 0, 0))\n";
    script += "    i.create_system = 3\n";
    script += "    i.external_attr = 0o" + [&] {
      char octal[16];
      std::snprintf(octal, sizeof octal, "%o", 0100000u | item.Mode);
      return std::string(octal);
    }() + " << 16\n";
    script += std::string("    i.compress_type = ") +
              (item.Deflated ? "zipfile.ZIP_DEFLATED" : "zipfile.ZIP_STORED") + "\n";
    script += "    z.writestr(i, open(" + Quoted(content) + ", 'rb').read())\n";
  }
  const fs::path file = staging.Path() / "make_set.py";
  std::ofstream(file) << script;
  ASSERT_EQ(std::system(("python3 " + Quoted(file) + " " + Quoted(zip)).c_str()), 0);
}

// The set of the road made by Python's zipfile, with the stand-in's execute bit in
// its external attributes and Setup-1.bin deflated.
inline void ZipSetWithPython(const fs::path& zip, int exitCode, bool anotherFile) {
  std::vector<TZipItem> items = {
      {"Setup.exe", StandInScript(exitCode), 0755, false},
      {"Setup-1.bin", std::string(300000, 'x') + "end", 0644, true},
      {"Aktual.txt", "2021K1\r\n", 0644, false},
      {"Ctimne.txt", "Čtěte mne\r\n", 0644, true},
  };
  if (anotherFile)
    items.push_back({"Poznamka.txt", "not one of the set's known files\n", 0644, false});
  ZipWithPython(zip, items);
}

// Flips one bit of the first occurrence of content: the item's CRC no longer fits.
inline void Damage(const fs::path& zip, const std::string& content) {
  std::string bytes = ReadAll(zip);
  const auto at = bytes.find(content);
  ASSERT_NE(at, std::string::npos);
  bytes[at] ^= 0x20;
  std::ofstream(zip, std::ios::binary | std::ios::trunc) << bytes;
}

// An installer named InstallTarvo in a folder of its own, with the product's old
// installer file beside it, a temporary folder and a backup folder; the script it
// starts at the close is only noted.
class TRoad {
 public:
  TRoad() {
    TInstallerEnvironment environment;
    environment.ExecutablePath = FromUtf8(Executable().string());
    environment.ProcessId = 4242;
    environment.StartScript = [this](int, const std::u16string& script) {
      StartedScript = script;
      return true;
    };
    std::ofstream(installer.Path() / "SetupTarvo.exe") << "old installer";
    form = std::make_unique<TMainInstallForm>(state, std::move(environment));
    form->OnPickFolder = [this] { return FromUtf8(backup.string()); };
    form->Wizard().DownloadStep().TempFolder = [this] {
      return FromUtf8(temp.Path().string() + "/");
    };
    form->show();
    fs::create_directory(backup);
  }

  // Page 2 as if the set had been downloaded into the temporary folder.
  void PretendDownloaded() {
    form->ShowPage(TS_Step2);
    state.ZIP_FileName = u"Tarvo2021_2021K1.zip";
    state.CilDataFile = FromUtf8(archive.string());
  }

  fs::path Executable() const { return installer.Path() / "InstallTarvo"; }
  void Click(TControl button) { qobject_cast<QAbstractButton*>(form->Control(button))->click(); }
  bool Shown(TControl control) { return !form->Control(control)->isHidden(); }

  struct TApplicationFirst {
    TApplicationFirst() { App(); }
  } application;
  testing::TTempDir installer;
  testing::TTempDir temp;
  testing::TTempDir backupRoot;
  fs::path backup = backupRoot.Path() / "Zaloha";
  fs::path archive = temp.Path() / "Tarvo2021_2021K1.zip";  // where the download lands
  TInstallerState state;
  std::unique_ptr<TMainInstallForm> form;
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

inline const TRoadCase RoadCases[] = {
    {"no backup, exit 0", false, {0}, false, false, false},
    {"no backup, exit 1 then 0, another file", false, {1, 0}, true, true, false},
    {"no backup, exit 2", false, {2}, false, false, false},
    {"backup, exit 0", true, {0}, false, true, true},
    {"backup, exit 1 then 0", true, {1, 0}, true, true, true},
    {"backup, exit 2", true, {2}, false, false, false},
    {"backup, exit 2, another file", true, {2}, true, true, false},
};

// The script beside the installer, a new file of its own name, started, naming
// exactly the installer and itself.
inline void ExpectSelfDeleteScript(TRoad& road) {
  const fs::path script = ToUtf8(road.StartedScript);
  EXPECT_EQ(script.parent_path(), road.installer.Path());
  EXPECT_TRUE(script.filename().string().starts_with("SelfDelete-")) << script;
  const std::string text = ReadAll(script);
  EXPECT_NE(
      text.find("rm -f -- " + Quoted(road.Executable()) + "\nrm -f -- " + Quoted(script) + "\n"),
      std::string::npos)
      << text;
  EXPECT_EQ(text.find(".so"), std::string::npos) << text;
  EXPECT_NE(text.find("4242"), std::string::npos) << text;
  EXPECT_FALSE(fs::exists(road.installer.Path() / "SetupTarvo.exe"));
}

// From page 2 with the set at road.archive: the backup choice, "Rozbalit",
// "Instalovat" once per exit code (the stand-in rewritten between the clicks, as
// if the user mended something), the captions and labels after each, the close by
// "Dokončit" or "Storno", and what the clean-up left on the disk.
inline void WalkFromRozbalit(TRoad& road, const TRoadCase& c) {
  if (c.Backup)
    road.Click(TControl::ChB_Zaloha);
  ASSERT_EQ(road.form->BackupChecked(), c.Backup);

  road.Click(TControl::B_RozbalK2);
  ASSERT_TRUE(road.boxes.Boxes.empty()) << road.boxes.Boxes.front().Text.toStdString();
  ASSERT_EQ(road.form->PageIndex(), TS_Step3);
  const fs::path folder = (c.Backup ? road.backup : road.temp.Path()) / "Tarvo2021_2021K1";
  ASSERT_EQ(road.state.InstallDir, FromUtf8(folder.string()));
  EXPECT_FALSE(fs::exists(road.archive));
  for (const char* name : kKnownNames)
    EXPECT_TRUE(fs::is_regular_file(folder / name)) << name;

  bool failedBefore = false;
  for (std::size_t i = 0; i < c.ExitCodes.size(); ++i) {
    const int code = c.ExitCodes[i];
    SCOPED_TRACE("exit code " + std::to_string(code));
    if (i > 0)
      WriteStandIn(folder / "Setup.exe", code);
    road.Click(TControl::B_InstalK3);
    EXPECT_EQ(road.state.ExitCodeSetup, static_cast<std::uint32_t>(code));
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
  ExpectSelfDeleteScript(road);
}

}  // namespace vornel::test
