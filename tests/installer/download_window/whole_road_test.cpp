// The whole road in one process on the real window (offscreen), with the real HTTP,
// TLS and zip stacks against the demo server: "Start" downloads a set made by
// Python's zipfile, page 1, "Rozbalit" with and without a backup, "Instalovat"
// with setup stand-ins, the close, and what the clean-up left on the disk. Also a
// cancelled download closed on page 0, and a damaged set through the road.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QProgressBar>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "demo_server_process.h"
#include "platform/temp_folder.h"
#include "support/other_user.h"
#include "window/road.h"

namespace vornel {
namespace {

namespace fs = std::filesystem;
using namespace test;
using testing::TDemoServer;
using testing::TTempDir;
using testing::TTestCA;

class WholeRoadTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Shared = std::make_unique<TShared>();
    setenv("SSL_CERT_FILE", Shared->CA.CA().c_str(), 1);
  }
  static void TearDownTestSuite() { Shared.reset(); }

  // The road's installer, its downloads aimed at a server.
  static void AimAt(TRoad& road, const TDemoServer& server) {
    road.form->Wizard().DownloadStep().Host = server.Host();
  }

  struct TShared {
    TTempDir Dir;
    TTestCA CA{Dir.Path() / "ca"};
    fs::path SetFile = Dir.Path() / "set.zip";  // read anew by each request
    std::unique_ptr<TDemoServer> Server;
    TShared() {
      std::ofstream(SetFile) << "no set yet";
      Server = std::make_unique<TDemoServer>(SetFile, CA, std::vector<std::string>{});
    }
  };
  static std::unique_ptr<TShared> Shared;
};

std::unique_ptr<WholeRoadTest::TShared> WholeRoadTest::Shared;

TEST_F(WholeRoadTest, FromStartToTheClose) {
  for (const TRoadCase& c : RoadCases) {
    SCOPED_TRACE(c.Name);
    ZipSetWithPython(Shared->SetFile, c.ExitCodes.front(), c.AnotherFile);
    TRoad road;
    AimAt(road, *Shared->Server);
    road.Click(TControl::B_StartK1);
    ASSERT_TRUE(road.boxes.Boxes.empty()) << road.boxes.Boxes.front().Text.toStdString();
    ASSERT_EQ(road.form->PageIndex(), TS_Step2);
    EXPECT_FALSE(road.state.DownloadActive);
    EXPECT_FALSE(road.state.DownloadAborted);
    EXPECT_EQ(road.state.CilDataFile, FromUtf8(road.archive.string()));
    EXPECT_TRUE(ReadAll(road.archive) == ReadAll(Shared->SetFile));
    // The stand-in runs only if its execute bit came through the unpacking.
    WalkFromRozbalit(road, c);
  }
}

TEST_F(WholeRoadTest, ACancelledDownloadClosedOnPageZeroLeavesNoPartialFile) {
  TTempDir dir;
  const fs::path big = dir.Path() / "big.zip";
  {
    std::string bytes(2 * 1024 * 1024, '\0');
    std::mt19937 random(12);
    for (char& b : bytes)
      b = static_cast<char>(random());
    std::ofstream(big, std::ios::binary) << bytes;
  }
  TDemoServer slow(big, Shared->CA, {"--mode", "slow", "--rate", "400000"});
  TRoad road;
  AimAt(road, slow);
  // Storno once the bar has moved: the transfer is under way.
  auto* bar = road.form->findChild<QProgressBar*>("ArPB_Down");
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (bar->value() > 0) {
      poll.stop();
      road.Click(TControl::B_StornoDown);
    }
  });
  poll.start(20);
  road.Click(TControl::B_StartK1);

  EXPECT_TRUE(road.boxes.Boxes.empty());
  EXPECT_TRUE(road.state.DownloadAborted);
  EXPECT_EQ(road.form->PageIndex(), TS_Step1);
  ASSERT_TRUE(fs::exists(road.archive));
  EXPECT_LT(fs::file_size(road.archive), fs::file_size(big));

  EXPECT_TRUE(road.form->close());
  EXPECT_FALSE(fs::exists(road.archive)) << "the partial download is removed";
  EXPECT_TRUE(fs::is_empty(road.temp.Path()));
  EXPECT_TRUE(fs::is_empty(road.backup));
  ExpectSelfDeleteScript(road);
}

TEST_F(WholeRoadTest, ADamagedSetIsDeletedDownloadedAgainAndLeavesNothing) {
  ZipWithPython(Shared->SetFile, {{"Setup.exe", StandInScript(0), 0755, false},
                                  {"Setup-1.bin", "content of Setup-1.bin", 0644, false},
                                  {"Aktual.txt", "content of Aktual.txt", 0644, false},
                                  {"../outside.txt", "escaping", 0644, false},
                                  {"Ctimne.txt", "content of Ctimne.txt", 0644, false}});
  Damage(Shared->SetFile, "content of Aktual.txt");
  TRoad road;
  AimAt(road, *Shared->Server);
  road.Click(TControl::B_StartK1);
  ASSERT_EQ(road.form->PageIndex(), TS_Step2);
  ASSERT_TRUE(road.boxes.Boxes.empty());

  road.Click(TControl::B_RozbalK2);
  ASSERT_EQ(road.boxes.Boxes.size(), 1u);
  const QString message = road.boxes.Boxes[0].Text;
  EXPECT_TRUE(message.startsWith(QStringLiteral("Instalační sada je poškozená.")))
      << message.toStdString();
  EXPECT_TRUE(message.contains(QStringLiteral("Aktual.txt"))) << message.toStdString();
  EXPECT_TRUE(message.contains(QStringLiteral("../outside.txt"))) << message.toStdString();
  EXPECT_FALSE(message.contains(QStringLiteral("Ctimne.txt"))) << message.toStdString();
  EXPECT_TRUE(message.contains(QStringLiteral("Stáhněte instalační sadu znovu tlačítkem [Start].")))
      << message.toStdString();
  EXPECT_EQ(road.form->PageIndex(), TS_Step1) << "not offered for installation";
  EXPECT_FALSE(road.state.UnZipperActive);
  EXPECT_TRUE(road.form->Control(TControl::B_StartK1)->isEnabled());
  EXPECT_FALSE(fs::exists(road.archive)) << "the damaged download is deleted";
  EXPECT_FALSE(fs::exists(road.temp.Path() / "outside.txt"));

  // "Start" fetches it again over HTTPS; page 2 offers it once more.
  road.Click(TControl::B_StartK1);
  EXPECT_EQ(road.boxes.Boxes.size(), 1u);
  EXPECT_EQ(road.form->PageIndex(), TS_Step2);
  EXPECT_TRUE(fs::exists(road.archive));
  EXPECT_TRUE(road.form->Control(TControl::B_RozbalK2)->isEnabled());

  EXPECT_TRUE(road.form->close());
  EXPECT_FALSE(fs::exists(road.archive));
  EXPECT_TRUE(fs::is_empty(road.temp.Path())) << "what was unpacked is gone too";
  ExpectSelfDeleteScript(road);
}

// TMPDIR and XDG_RUNTIME_DIR (unset when empty) while the object lives.
class TEnvironmentGuard {
 public:
  TEnvironmentGuard(const fs::path& tmpdir, const fs::path& runtimeDir)
      : FSaved{Saved("TMPDIR"), Saved("XDG_RUNTIME_DIR")} {
    Set("TMPDIR", tmpdir.string());
    Set("XDG_RUNTIME_DIR", runtimeDir.string());
  }
  ~TEnvironmentGuard() {
    Set("TMPDIR", FSaved[0]);
    Set("XDG_RUNTIME_DIR", FSaved[1]);
  }
  TEnvironmentGuard(const TEnvironmentGuard&) = delete;
  TEnvironmentGuard& operator=(const TEnvironmentGuard&) = delete;

 private:
  static std::string Saved(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
  }
  static void Set(const char* name, const std::string& value) {
    if (value.empty()) {
      ::unsetenv(name);
    } else {
      ::setenv(name, value.c_str(), 1);
    }
  }

  std::string FSaved[2];
};

// Another user made the user's vornel-<uid> in the shared temporary folder first:
// it is never used, and the whole road runs through the user's runtime folder
// when there is one, else through a fresh folder of its own that the close
// removes again.
TEST_F(WholeRoadTest, ASquattedTemporaryFolderGivesWayToAPrivateOne) {
  if (!testing::CanActAsOtherUser())
    GTEST_SKIP() << "needs root and setpriv to act as another user";
  ZipSetWithPython(Shared->SetFile, 0, false);
  for (const bool runtimeFolder : {false, true}) {
    SCOPED_TRACE(runtimeFolder ? "with a runtime folder" : "without a runtime folder");
    TTempDir shared, runtime;
    ::chmod(shared.Path().c_str(), 01777);
    const fs::path squatted = shared.Path() / ("vornel-" + std::to_string(::geteuid()));
    ASSERT_TRUE(testing::RunAsOtherUser("mkdir -m 777 '" + squatted.string() + "'"));
    TRoad road;
    AimAt(road, *Shared->Server);
    // The environment the installer is started with, for this road alone.
    const TEnvironmentGuard environment(shared.Path(), runtimeFolder ? runtime.Path() : fs::path());
    road.form->Wizard().DownloadStep().TempFolder = &UserTempFolder;

    road.Click(TControl::B_StartK1);
    ASSERT_TRUE(road.boxes.Boxes.empty()) << road.boxes.Boxes.front().Text.toStdString();
    ASSERT_EQ(road.form->PageIndex(), TS_Step2);
    const fs::path download = ToUtf8(road.state.CilDataFile);
    const fs::path temp = download.parent_path();
    if (runtimeFolder) {
      EXPECT_EQ(temp, runtime.Path() / "vornel");
    } else {
      EXPECT_EQ(temp.parent_path(), shared.Path());
      EXPECT_TRUE(temp.filename().string().starts_with(squatted.filename().string() + "-")) << temp;
    }
    EXPECT_TRUE(ReadAll(download) == ReadAll(Shared->SetFile));

    road.Click(TControl::B_RozbalK2);
    ASSERT_TRUE(road.boxes.Boxes.empty()) << road.boxes.Boxes.front().Text.toStdString();
    ASSERT_EQ(road.state.InstallDir, FromUtf8((temp / "Tarvo2021_2021K1").string()));
    road.Click(TControl::B_InstalK3);
    EXPECT_EQ(road.state.ExitCodeSetup, 0u);
    road.Click(TControl::B_InstalK3);  // "Dokončit"
    EXPECT_TRUE(road.form->isHidden()) << "the window closed";

    EXPECT_TRUE(fs::is_empty(squatted)) << "nothing was put into the other's folder";
    if (runtimeFolder) {
      EXPECT_TRUE(fs::is_empty(temp)) << "what the run made in it is gone";
    } else {
      EXPECT_FALSE(fs::exists(temp)) << "the folder made for the run is gone";
    }
    ExpectSelfDeleteScript(road);
  }
}

}  // namespace
}  // namespace vornel
