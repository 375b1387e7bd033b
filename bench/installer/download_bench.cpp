// The download step of the real window (offscreen) fetching a large set from the
// demo server on loopback over TLS, against curl fetching the same from the same
// server, in turn within one run. Prints the median wall time and throughput of
// each, their ratio, and what the window did per transfer event: status texts set,
// bar positions, and how often the status label and the bar were painted.
//
//   installer_download_bench [SIZE_MIB] [ROUNDS]
#include <unistd.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "bench_set.h"
#include "bench_tools.h"
#include "bench_window.h"
#include "demo_server_process.h"
#include "platform/text.h"

namespace fs = std::filesystem;
using namespace vornel;
using namespace vornel::bench;

namespace {

const char* const kSetPath = "/QRTX/Instalace/Tarvo2021_2021K1.zip";

// user + system seconds of a process, from /proc.
double ProcessCpu(pid_t pid) {
  std::ifstream stat(Concat("/proc/", std::to_string(pid), "/stat"));
  std::string field;
  std::vector<std::string> fields;
  while (stat >> field)
    fields.push_back(field);
  if (fields.size() < 15)
    return 0;
  return (std::stod(fields[13]) + std::stod(fields[14])) /
         static_cast<double>(sysconf(_SC_CLK_TCK));
}

double SelfCpu() {
  return ProcessCpu(getpid());
}

}  // namespace

int main(int argc, char** argv) {
  const std::uint64_t sizeMiB = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1024;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  EnsureApplication();

  TScratch work("vornel-download-bench");
  const testing::TTestCA ca(work.Path() / "ca");
  setenv("SSL_CERT_FILE", ca.CA().c_str(), 1);
  const fs::path set = work.Path() / "set.zip";
  const std::uint64_t setBytes = MakeSet(set, {sizeMiB << 20, (sizeMiB << 20) / 4});
  std::printf("set: %.1f MiB\n", MiB(setBytes));

  testing::TDemoServer server(set, ca, {});
  const std::string url = Concat("https://localhost:", std::to_string(server.Port()), kSetPath);
  const fs::path downloads = work.Path() / "downloads";
  fs::create_directories(downloads);
  const fs::path target = downloads / "Tarvo2021_2021K1.zip";

  std::vector<double> curlWall, curlCpu, curlServer, windowWall, windowCpu, windowServer;
  TBenchForm::TCounters counters;
  bool ok = true;
  for (int round = 0; round < rounds && ok; ++round) {
    double cpu = 0;
    double serverCpu = ProcessCpu(server.Pid());
    auto start = TClock::now();
    ok = Curl(url, target, ca.CA(), cpu) && fs::file_size(target) == setBytes;
    curlWall.push_back(SecondsSince(start));
    curlCpu.push_back(cpu);
    curlServer.push_back(ProcessCpu(server.Pid()) - serverCpu);
    fs::remove(target);
    if (!ok) {
      std::fprintf(stderr, "curl failed\n");
      break;
    }

    TInstallerState state;
    TBenchForm form(state, work.Path());
    form.Aim(server.Host(), downloads);
    form.show();
    QApplication::processEvents();
    form.ResetCounters();
    serverCpu = ProcessCpu(server.Pid());
    cpu = SelfCpu();
    start = TClock::now();
    form.Click(TControl::B_StartK1);
    windowWall.push_back(SecondsSince(start));
    windowCpu.push_back(SelfCpu() - cpu);
    windowServer.push_back(ProcessCpu(server.Pid()) - serverCpu);
    counters = form.Counters;
    ok = form.PageIndex() == 1 && fs::file_size(target) == setBytes;
    if (!ok)
      std::fprintf(stderr, "the window's download failed: page %d, %ju bytes\n", form.PageIndex(),
                   static_cast<std::uintmax_t>(fs::exists(target) ? fs::file_size(target) : 0));
    fs::remove(target);
  }
  if (!ok)
    return 1;

  const double mib = MiB(setBytes);
  const double curl = Median(curlWall), window = Median(windowWall);
  std::printf("%-8s %8s %10s %9s %11s\n", "", "wall s", "MiB/s", "cpu s", "server cpu s");
  std::printf("%-8s %8.3f %10.1f %9.3f %11.3f\n", "curl", curl, mib / curl, Median(curlCpu),
              Median(curlServer));
  std::printf("%-8s %8.3f %10.1f %9.3f %11.3f\n", "window", window, mib / window, Median(windowCpu),
              Median(windowServer));
  std::printf("window / curl throughput: %.2f (target at least 0.80)\n", curl / window);
  std::printf("per run: %ld status texts, %ld bar positions, %ld label paints, %ld bar paints\n",
              counters.StatusTexts, counters.Positions, counters.LabelPaints, counters.BarPaints);
  return 0;
}
