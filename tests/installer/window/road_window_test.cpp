// The road from a downloaded set to the close on the real window: "Rozbalit" with
// and without a backup, "Instalovat" with setup stand-ins that exit 0, 1 then 0,
// and 2, the captions and labels of page 2, the close, and what the clean-up left
// on the disk, with the self-delete script written beside the installer.
#include <gtest/gtest.h>

#include <QTimer>
#include <filesystem>
#include <fstream>

#include "road.h"

namespace vornel {
namespace {

namespace fs = std::filesystem;
using namespace test;

TEST(RoadWindowTest, FromRozbalitToTheClose) {
  for (const TRoadCase& c : RoadCases) {
    SCOPED_TRACE(c.Name);
    TRoad road;
    road.PretendDownloaded();
    ZipSet(road.archive, c.ExitCodes.front(), c.AnotherFile);
    WalkFromRozbalit(road, c);
  }
}

TEST(RoadWindowTest, ClosingWhileTheSetupRunsLeavesEverythingInPlace) {
  TRoad road;
  road.PretendDownloaded();
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
