// The unpack step on the real window: the backup box with its folder picker,
// "Rozbalit" on sets made by Info-ZIP zip and Python's zipfile, the taskbar
// progress, the way back after a damaged set or an unusable folder, and what is
// left on the disk afterwards.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
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
#include "installer/download_client.h"
#include "installer/window/main_install_form.h"
#include "platform/text.h"
#include "qt_app.h"
#include "road.h"
#include "support/temp_dir.h"

namespace vornel {
namespace {

namespace fs = std::filesystem;
using test::Damage;
using test::Quoted;
using test::TBoxCatcher;
using testing::TTempDir;

const char* const kSetNames[] = {"Setup.exe",  "Setup-1.bin", "Aktual.txt", "Ctimne.txt",
                                 "data/a.dat", "data/b.dat",  "data/c.dat", "data/deep/d.dat",
                                 "e.txt",      "f.txt"};

// The ten items of the set, zipped by Info-ZIP zip without folder entries.
void ZipTheSet(const fs::path& zip) {
  TTempDir staging;
  for (const char* name : kSetNames) {
    const fs::path file = staging.Path() / name;
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << "content of " << name << "\n";
  }
  const std::string command = "cd " + Quoted(staging.Path()) + " && zip -qrD " + Quoted(zip) + " .";
  ASSERT_EQ(std::system(command.c_str()), 0);
}

// Items stored by Python's zipfile, so a test can find an item's bytes.
void ZipStored(const fs::path& zip, const std::vector<std::pair<std::string, std::string>>& items) {
  std::string script = "import sys, zipfile\nz = zipfile.ZipFile(sys.argv[1], 'w')\n";
  for (const auto& [name, content] : items)
    script += "z.writestr(zipfile.ZipInfo('" + name + "'), '" + content + "')\n";
  script += "z.close()\n";
  const fs::path file = zip.string() + ".py";
  std::ofstream(file) << script;
  ASSERT_EQ(std::system(("python3 " + Quoted(file) + " " + Quoted(zip)).c_str()), 0);
  fs::remove(file);
}

// A download client that writes a file's bytes as the body.
class TFileClient : public TDownloadClient {
 public:
  explicit TFileClient(fs::path body) : FBody(std::move(body)) {}
  void Get(const std::u16string&, TStream& stream) override {
    const std::string bytes = test::ReadAll(FBody);
    if (OnWorkBegin)
      OnWorkBegin(wmRead, static_cast<std::int64_t>(bytes.size()));
    stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    if (OnWorkEnd)
      OnWorkEnd(wmRead);
  }
  void Disconnect() override {}

 private:
  fs::path FBody;
};

// The window of an installer in a folder of its own, on page 2 with the set
// downloaded into a temporary folder.
class TUnpackWindow {
 public:
  explicit TUnpackWindow(const std::u16string& zipFileName = u"Tarvo2021_NET_2021K1.zip") {
    TInstallerEnvironment environment;
    environment.ExecutablePath = FromUtf8((installer.Path() / "InstallTarvoNET").string());
    environment.StartScript = [](int, const std::u16string&) { return true; };
    form = std::make_unique<TMainInstallForm>(state, std::move(environment));
    form->OnPickFolder = [this] { return picked; };
    form->Wizard().UnpackStep().UnZipper().OnArchiveProgress =
        [this, step = form->Wizard().UnpackStep().UnZipper().OnArchiveProgress](
            TArUnZipper& sender, std::uint8_t progress, bool& abort) {
          step(sender, progress, abort);
          if (form->Taskbar().ProgressMaxValue() > 0)
            taskbarValues.push_back(form->Taskbar().ProgressValue());
        };
    form->show();
    form->ShowPage(TS_Step2);
    SetSetName(zipFileName);
  }

  void SetSetName(const std::u16string& zipFileName) {
    state.ZIP_FileName = zipFileName;
    archive = temp.Path() / ToUtf8(zipFileName);
    state.CilDataFile = FromUtf8(archive.string());
  }

  QAbstractButton* Clickable(TControl control) {
    return qobject_cast<QAbstractButton*>(form->Control(control));
  }
  bool Shown(TControl control) { return !form->Control(control)->isHidden(); }
  std::u16string BackupLabel() { return form->LabelLinesText(TControl::HTMText_BackupFolder); }

  // The set's fault: the download deleted and page 1 back as it was before "Start",
  // page 2 ready for the next set.
  void ExpectBackAtTheDownload() {
    EXPECT_FALSE(state.UnZipperActive);
    EXPECT_FALSE(state.DownloadActive);
    EXPECT_EQ(form->PageIndex(), TS_Step1);
    EXPECT_TRUE(form->Control(TControl::B_StartK1)->isEnabled());
    EXPECT_FALSE(Shown(TControl::B_StornoDown));
    EXPECT_FALSE(Shown(TControl::ArPB_Down));
    EXPECT_TRUE(form->Control(TControl::B_RozbalK2)->isEnabled());
    EXPECT_TRUE(form->Control(TControl::ChB_Zaloha)->isEnabled());
    EXPECT_TRUE(Shown(TControl::HTMText_Krok2_1));
    EXPECT_FALSE(Shown(TControl::HTMText_Krok2_2));
    EXPECT_FALSE(Shown(TControl::ArPB_Main));
    EXPECT_EQ(form->Taskbar().ProgressState(), tbpsNone);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(fs::exists(archive)) << "the damaged download is deleted";
  }

  // "Start" on page 1 fetches the given set (through a client that serves the
  // file), then page 2 is shown.
  void ServeAndStart(const fs::path& served) {
    form->Wizard().DownloadStep().SetClient(std::make_unique<TFileClient>(served));
    form->Wizard().DownloadStep().TempFolder = [this] {
      return FromUtf8(temp.Path().string() + "/");
    };
    Clickable(TControl::B_StartK1)->click();
  }

  void ExpectUsableOnPage2() {
    EXPECT_FALSE(state.UnZipperActive);
    EXPECT_EQ(form->PageIndex(), TS_Step2);
    EXPECT_TRUE(form->Control(TControl::B_RozbalK2)->isEnabled());
    EXPECT_TRUE(form->Control(TControl::ChB_Zaloha)->isEnabled());
    EXPECT_FALSE(Shown(TControl::ArPB_Main));
    EXPECT_TRUE(Shown(TControl::HTMText_Krok2_1));
    EXPECT_EQ(form->Taskbar().ProgressState(), tbpsNone);
    EXPECT_EQ(form->Taskbar().ProgressValue(), 0);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(fs::exists(archive)) << "the download is kept for another try";
  }

  // First, so the application is there before any other member.
  struct TApplicationFirst {
    TApplicationFirst() { test::App(); }
  } application;
  TTempDir installer;
  TTempDir temp;
  std::optional<std::u16string> picked;     // what the folder picker answers
  std::vector<std::int64_t> taskbarValues;  // after each archive-progress event
  TInstallerState state;
  std::unique_ptr<TMainInstallForm> form;
  fs::path archive;
  TBoxCatcher boxes;
};

TEST(UnpackWindowTest, UnpacksIntoItsFolderAndTheDownloadIsGoneWhateverTheBackupChoice) {
  struct TCase {
    const char16_t* ZipFileName;
    bool Backup;
  } cases[] = {
      {u"Tarvo2021_NET_2021K1.zip", false},
      {u"Tarvo2021_NET_2021K1.ZIP", false},
      {u"Tarvo2021_NET_2021K1.zip", true},
      {u"Tarvo2021_NET_2021K1.ZIP", true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(ToUtf8(c.ZipFileName) + (c.Backup ? " with backup" : " without backup"));
    TTempDir backupRoot;
    const fs::path backup = backupRoot.Path() / "Zaloha";
    fs::create_directory(backup);
    TUnpackWindow run(c.ZipFileName);
    ZipTheSet(run.archive);
    if (c.Backup) {
      run.picked = FromUtf8(backup.string());
      run.Clickable(TControl::ChB_Zaloha)->click();
      ASSERT_TRUE(run.form->BackupChecked());
      EXPECT_TRUE(run.Shown(TControl::HTMText_BackupFolder));
      EXPECT_EQ(run.BackupLabel(), *run.picked + u"\r\n");
    }
    run.Clickable(TControl::B_RozbalK2)->click();
    ASSERT_TRUE(run.boxes.Boxes.empty()) << run.boxes.Boxes.front().Text.toStdString();

    const fs::path folder = (c.Backup ? backup : run.temp.Path()) / "Tarvo2021_NET_2021K1";
    EXPECT_EQ(run.state.InstallDir, FromUtf8(folder.string()));
    for (const char* name : kSetNames)
      EXPECT_TRUE(fs::is_regular_file(folder / name)) << name;
    EXPECT_FALSE(fs::exists(run.archive));
    EXPECT_EQ(run.form->PageIndex(), TS_Step3);
    EXPECT_FALSE(run.state.UnZipperActive);
    EXPECT_TRUE(run.form->Control(TControl::B_RozbalK2)->isEnabled());
    EXPECT_FALSE(run.form->Control(TControl::ChB_Zaloha)->isEnabled()) << "frozen";
    EXPECT_FALSE(run.Shown(TControl::ArPB_Main));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    // Ten items and eleven events: one per item and the closing one, held at ten.
    const std::vector<std::int64_t> expected = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 10};
    EXPECT_EQ(run.taskbarValues, expected);
    EXPECT_EQ(run.form->Taskbar().ProgressMaxValue(), 10);
    EXPECT_EQ(run.form->Taskbar().ProgressValue(), 0);
    EXPECT_EQ(run.form->Taskbar().ProgressState(), tbpsNone);
  }
}

TEST(UnpackWindowTest, CancellingThePickerUnticksTheBoxAndHidesTheFolder) {
  TUnpackWindow f;
  QAbstractButton* box = f.Clickable(TControl::ChB_Zaloha);
  f.picked = u"/media/zaloha";
  box->click();
  ASSERT_TRUE(f.form->BackupChecked());
  EXPECT_TRUE(f.Shown(TControl::HTMText_BackupFolder));
  EXPECT_EQ(f.state.BackupDir, u"/media/zaloha");

  box->click();  // unticked by the user
  EXPECT_FALSE(f.Shown(TControl::HTMText_BackupFolder));
  EXPECT_EQ(f.state.BackupDir, u"/media/zaloha") << "kept, used only while ticked";

  f.picked.reset();
  box->click();  // ticked, then the picker is cancelled
  EXPECT_FALSE(f.form->BackupChecked());
  EXPECT_FALSE(qobject_cast<QCheckBox*>(box)->isChecked());
  EXPECT_FALSE(f.Shown(TControl::HTMText_BackupFolder));
  EXPECT_TRUE(f.BackupLabel() == u"" || f.BackupLabel() == u"\r\n") << ToUtf8(f.BackupLabel());

  // Unticked, the set goes beside the download.
  ZipTheSet(f.archive);
  f.Clickable(TControl::B_RozbalK2)->click();
  EXPECT_EQ(f.state.InstallDir, FromUtf8((f.temp.Path() / "Tarvo2021_NET_2021K1").string()));
  EXPECT_TRUE(f.boxes.Boxes.empty());
}

TEST(UnpackWindowTest, ADamagedSetIsDeletedAndStartDownloadsItAgain) {
  TUnpackWindow f;
  std::vector<std::pair<std::string, std::string>> items;
  for (const char* name : kSetNames)
    items.emplace_back(name, std::string("content of ") + name);
  items.emplace_back("../outside.txt", "escaping");
  ZipStored(f.archive, items);
  Damage(f.archive, "content of data/b.dat");

  f.Clickable(TControl::B_RozbalK2)->click();
  ASSERT_EQ(f.boxes.Boxes.size(), 1u);
  const QString message = f.boxes.Boxes[0].Text;
  EXPECT_EQ(f.boxes.Boxes[0].Icon, QMessageBox::Critical);
  EXPECT_TRUE(message.startsWith(
      QStringLiteral("Instalační sada je poškozená. Tyto soubory z ní nelze rozbalit:\n")))
      << message.toStdString();
  EXPECT_TRUE(message.contains(QStringLiteral("data/b.dat"))) << message.toStdString();
  EXPECT_TRUE(message.contains(QStringLiteral("../outside.txt"))) << message.toStdString();
  EXPECT_FALSE(message.contains(QStringLiteral("data/a.dat"))) << message.toStdString();
  EXPECT_TRUE(message.endsWith(QStringLiteral(
      "\n\nStažený soubor byl smazán. Stáhněte instalační sadu znovu tlačítkem [Start].")))
      << message.toStdString();
  EXPECT_FALSE(fs::exists(f.temp.Path() / "outside.txt"));
  f.ExpectBackAtTheDownload();

  // "Start" fetches a sound set, and it goes through.
  TTempDir server;
  const fs::path sound = server.Path() / "set.zip";
  ZipTheSet(sound);
  f.ServeAndStart(sound);
  EXPECT_EQ(f.form->PageIndex(), TS_Step2);
  EXPECT_TRUE(fs::exists(f.archive));
  f.Clickable(TControl::B_RozbalK2)->click();
  EXPECT_EQ(f.boxes.Boxes.size(), 1u);
  EXPECT_EQ(f.form->PageIndex(), TS_Step3);
  EXPECT_TRUE(fs::is_regular_file(f.temp.Path() / "Tarvo2021_NET_2021K1" / "data/b.dat"));
  EXPECT_FALSE(fs::exists(f.archive));
}

TEST(UnpackWindowTest, ADamagedSetLeavesNothingAfterTheClose) {
  TUnpackWindow f;
  std::vector<std::pair<std::string, std::string>> items;
  for (const char* name : kSetNames)
    items.emplace_back(name, std::string("content of ") + name);
  ZipStored(f.archive, items);
  Damage(f.archive, "content of Aktual.txt");
  f.Clickable(TControl::B_RozbalK2)->click();
  ASSERT_EQ(f.boxes.Boxes.size(), 1u);
  EXPECT_TRUE(f.boxes.Boxes[0].Text.contains(QStringLiteral("Aktual.txt")));
  f.ExpectBackAtTheDownload();

  EXPECT_TRUE(f.form->close());
  EXPECT_FALSE(fs::exists(f.archive));
  EXPECT_FALSE(fs::exists(f.temp.Path() / "Tarvo2021_NET_2021K1"));
  bool scriptWritten = false;
  for (const auto& entry : fs::directory_iterator(f.installer.Path()))
    scriptWritten = scriptWritten || entry.path().filename().string().starts_with("SelfDelete-");
  EXPECT_TRUE(scriptWritten);
}

// The folder's fault: page 2 stays usable with the download, and another folder
// takes the set.
TEST(UnpackWindowTest, AFolderThatCannotTakeTheSetKeepsPage2AndTheDownload) {
  TUnpackWindow f;
  ZipTheSet(f.archive);
  // A folder where the set's program would go: that file cannot be created.
  fs::create_directories(f.temp.Path() / "Tarvo2021_NET_2021K1" / "Setup.exe" / "in-the-way");
  f.Clickable(TControl::B_RozbalK2)->click();
  ASSERT_EQ(f.boxes.Boxes.size(), 1u);
  EXPECT_EQ(f.boxes.Boxes[0].Text,
            QStringLiteral("Instalační sadu se nepodařilo rozbalit celou. Tyto soubory nelze do "
                           "složky zapsat:\nSetup.exe\n\nRozbalte instalační sadu do jiné "
                           "složky nebo uvolněte místo na disku."));
  f.ExpectUsableOnPage2();
  EXPECT_TRUE(f.Shown(TControl::HTMText_Krok2_1));

  // A backup folder below a file cannot be made at all: the message names it.
  TTempDir backupRoot;
  std::ofstream(backupRoot.Path() / "a-file") << "x";
  f.picked = FromUtf8((backupRoot.Path() / "a-file" / "Zaloha").string());
  f.Clickable(TControl::ChB_Zaloha)->click();
  f.Clickable(TControl::B_RozbalK2)->click();
  ASSERT_EQ(f.boxes.Boxes.size(), 2u);
  const QString folder = QString::fromStdString(
      (backupRoot.Path() / "a-file" / "Zaloha" / "Tarvo2021_NET_2021K1").string());
  EXPECT_TRUE(f.boxes.Boxes[1].Text.startsWith(
      QStringLiteral("Do složky „") + folder +
      QStringLiteral("“ nelze instalační sadu rozbalit: složku nelze vytvořit")))
      << f.boxes.Boxes[1].Text.toStdString();
  f.ExpectUsableOnPage2();

  // A usable backup folder takes it.
  f.Clickable(TControl::ChB_Zaloha)->click();  // unticked
  f.picked = FromUtf8(backupRoot.Path().string());
  f.Clickable(TControl::ChB_Zaloha)->click();
  f.Clickable(TControl::B_RozbalK2)->click();
  EXPECT_EQ(f.boxes.Boxes.size(), 2u);
  EXPECT_EQ(f.form->PageIndex(), TS_Step3);
  EXPECT_TRUE(fs::is_regular_file(backupRoot.Path() / "Tarvo2021_NET_2021K1" / "Setup.exe"));
  EXPECT_FALSE(fs::exists(f.archive));
}

}  // namespace
}  // namespace vornel
