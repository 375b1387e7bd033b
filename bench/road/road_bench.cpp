// The whole road for a large set from the loopback demo server, on the real window
// (offscreen): "Start", "Rozbalit", "Instalovat" (the setup stand-in exits at once)
// and the close, against curl fetching the same set and "unzip -qo" extracting it,
// in turn, a few rounds each. Prints wall times and the ratio of the best rounds.
//   road_bench [MIB [ROUNDS]]   (MIB: the set's size, about)
#include <sys/wait.h>

#include <QAbstractButton>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "demo_server_process.h"
#include "installer/installer_environment.h"
#include "installer/installer_state.h"
#include "installer/window/installer_application.h"
#include "installer/window/main_install_form.h"
#include "platform/text.h"
#include "support/temp_dir.h"
#include "window/box_catcher.h"

namespace fs = std::filesystem;

namespace {

using vornel::TControl;
using Clock = std::chrono::steady_clock;

int Shell(const std::string& command) {
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

double Seconds(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Setup.exe (exits 0 at once), four data files that compress as a real set's do
// (random bytes written as hexadecimal text, deflated to about 4/7 of their size,
// so 7/4 of the set's size in data) and the two texts, by Python's zipfile.
bool MakeSet(const fs::path& zip, int mib) {
  const std::string script =
      "import os, sys, zipfile\n"
      "size = int(sys.argv[2]) * 1024 * 1024 * 7 // 4\n"
      "with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED, compresslevel=1) as z:\n"
      "    def add(name, data, mode):\n"
      "        i = zipfile.ZipInfo(name, (2021, 1, 1, 12, 0, 0))\n"
      "        i.create_system = 3\n"
      "        i.external_attr = (0o100000 | mode) << 16\n"
      "        i.compress_type = zipfile.ZIP_DEFLATED\n"
      "        z.writestr(i, data)\n"
      "    add('Setup.exe', b'#!/bin/sh\\nexit 0\\n', 0o755)\n"
      "    for n in range(1, 5):\n"
      "        add('Setup-%d.bin' % n, os.urandom(size // 8).hex().encode(), 0o644)\n"
      "    add('Aktual.txt', b'2021K1\\r\\n', 0o644)\n"
      "    add('Ctimne.txt', b'README\\r\\n', 0o644)\n";
  const fs::path file = zip.parent_path() / "make_set.py";
  std::ofstream(file) << script;
  return Shell("python3 '" + file.string() + "' '" + zip.string() + "' " + std::to_string(mib)) ==
         0;
}

struct TRoadTimes {
  double Download = 0, Unpack = 0, Install = 0, Total = 0;
  bool Ok = false;
};

// One installer in a folder of its own, its temporary folder below work, walked
// from "Start" to the close.
TRoadTimes WalkTheRoad(const fs::path& work, const vornel::testing::TDemoServer& server) {
  const fs::path installer = work / "installer";
  const fs::path temp = work / "temp";
  fs::create_directories(installer);
  fs::create_directories(temp);
  vornel::TInstallerState state;
  vornel::TInstallerEnvironment environment;
  environment.ExecutablePath = vornel::FromUtf8((installer / "InstallTarvo").string());
  environment.StartScript = [](const std::u16string&) { return true; };
  vornel::TMainInstallForm form(state, std::move(environment));
  form.Wizard().DownloadStep().Host = server.Host();
  form.Wizard().DownloadStep().TempFolder = [&temp] {
    return vornel::FromUtf8(temp.string() + "/");
  };
  vornel::test::TBoxCatcher boxes;
  form.show();
  form.PumpMessages();
  auto click = [&form](TControl button) {
    qobject_cast<QAbstractButton*>(form.Control(button))->click();
  };

  TRoadTimes times;
  const auto start = Clock::now();
  click(TControl::B_StartK1);
  times.Download = Seconds(start);
  click(TControl::B_RozbalK2);
  times.Unpack = Seconds(start) - times.Download;
  click(TControl::B_InstalK3);
  times.Install = Seconds(start) - times.Download - times.Unpack;
  click(TControl::B_InstalK3);  // "Dokončit": the close and its clean-up
  times.Total = Seconds(start);
  times.Ok =
      boxes.Boxes.empty() && state.ExitCodeSetup == 0 && form.isHidden() && fs::is_empty(temp);
  for (const auto& box : boxes.Boxes)
    std::fprintf(stderr, "message box: %s\n", qPrintable(box.Text));
  fs::remove_all(installer);
  fs::remove_all(temp);
  return times;
}

}  // namespace

int main(int argc, char** argv) {
  const int mib = argc > 1 ? std::atoi(argv[1]) : 200;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  vornel::TInstallerApplication application(argc, argv);

  vornel::testing::TTempDir work;
  const fs::path set = work.Path() / "set.zip";
  if (!MakeSet(set, mib)) {
    std::fprintf(stderr, "cannot make the set\n");
    return 1;
  }
  std::printf("set: %.1f MiB zipped, %.1f MiB of data\n",
              static_cast<double>(fs::file_size(set)) / (1024 * 1024), mib * 7.0 / 4);
  const vornel::testing::TTestCA ca(work.Path() / "ca");
  setenv("SSL_CERT_FILE", ca.CA().c_str(), 1);
  const vornel::testing::TDemoServer server(set, ca, {});
  const std::string url =
      "https://localhost:" + std::to_string(server.Port()) + "/QRTX/Instalace/Tarvo2021_2021K1.zip";

  double bestRoad = 1e9, bestTools = 1e9;
  for (int round = 1; round <= rounds; ++round) {
    const TRoadTimes road = WalkTheRoad(work.Path() / "road", server);
    bestRoad = std::min(bestRoad, road.Total);
    std::printf("round %d  road           %7.3f s (download %.3f, unpack %.3f, install %.3f)%s\n",
                round, road.Total, road.Download, road.Unpack, road.Install,
                road.Ok ? "" : "  (FAILED)");

    const fs::path out = work.Path() / "tools";
    fs::create_directories(out);
    const auto start = Clock::now();
    const int failures =
        Shell("curl -sS --cacert '" + ca.CA().string() + "' -o '" + (out / "set.zip").string() +
              "' '" + url + "' && unzip -qo '" + (out / "set.zip").string() + "' -d '" +
              (out / "set").string() + "' && rm '" + (out / "set.zip").string() + "'");
    const double tools = Seconds(start);
    bestTools = std::min(bestTools, tools);
    std::printf("round %d  curl + unzip   %7.3f s%s\n", round, tools, failures ? "  (FAILED)" : "");
    fs::remove_all(out);
  }
  std::printf("best: road %.3f s, curl + unzip %.3f s; ratio %.2f (target at most 1.20)\n",
              bestRoad, bestTools, bestRoad / bestTools);
  return 0;
}
