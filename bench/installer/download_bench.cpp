// The download step of the real window (offscreen) fetching a large set over TLS
// on loopback, against curl fetching the same from the same server, in turn within
// one run: from the demo server, and from nginx as a check that the demo server is
// not what limits them. Prints for each server the median wall time, throughput
// and CPU time of both clients (and of the server while each ran), their ratio,
// and what the window did per run: status texts set, bar positions, and how often
// the status label and the bars were painted.
//
//   installer_download_bench [SIZE_MIB] [ROUNDS]
#include <unistd.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <string>
#include <vector>

#include "bench_set.h"
#include "bench_tools.h"
#include "bench_window.h"
#include "demo_server_process.h"
#include "htmltext/widget/html_text.h"
#include "nginx_server.h"
#include "platform/text.h"

namespace fs = std::filesystem;
using namespace vornel;
using namespace vornel::bench;

namespace {

const char* const kSetPath = "/QRTX/Instalace/Tarvo2021_2021K1.zip";

// nginx runs as one process (no master) and writes its id into its folder.
pid_t NginxPid(const vornel::test::TNginxServer& nginx) {
  pid_t pid = -1;
  std::ifstream(nginx.Folder() + "/nginx.pid") >> pid;
  return pid;
}

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

struct TServer {
  const char* Name;
  std::u16string Host;  // of the window's download address
  pid_t Pid;
};

struct TResult {
  std::vector<double> CurlWall, CurlCpu, CurlServer, WindowWall, WindowCpu, WindowServer;
  TBenchForm::TCounters Counters;
  bool LastTextShown = true;  // in every run, the label shows the last status text
};

// Rounds of curl, then the window, from one server; false when a download failed.
bool Measure(const TServer& server, const fs::path& work, const fs::path& caFile,
             std::uint64_t setBytes, int rounds, TResult& r) {
  const std::string host = ToUtf8(server.Host);
  const std::string url = Concat("https://", host, kSetPath);
  const fs::path downloads = work / "downloads";
  fs::create_directories(downloads);
  const fs::path target = downloads / "Tarvo2021_2021K1.zip";
  for (int round = 0; round < rounds; ++round) {
    double cpu = 0;
    double serverCpu = ProcessCpu(server.Pid);
    auto start = TClock::now();
    const bool fetched = Curl(url, target, caFile, cpu) && fs::file_size(target) == setBytes;
    r.CurlWall.push_back(SecondsSince(start));
    r.CurlCpu.push_back(cpu);
    r.CurlServer.push_back(ProcessCpu(server.Pid) - serverCpu);
    fs::remove(target);
    if (!fetched) {
      std::fprintf(stderr, "curl failed\n");
      return false;
    }

    TInstallerState state;
    TBenchForm form(state, work);
    form.Aim(server.Host, downloads);
    form.show();
    QApplication::processEvents();
    form.ResetCounters();
    serverCpu = ProcessCpu(server.Pid);
    cpu = SelfCpu();
    start = TClock::now();
    form.Click(TControl::B_StartK1);
    r.WindowWall.push_back(SecondsSince(start));
    r.WindowCpu.push_back(SelfCpu() - cpu);
    r.WindowServer.push_back(ProcessCpu(server.Pid) - serverCpu);
    // The label's last layout may wait for the end of its frame.
    for (int i = 0; i < 50 && form.Label(TControl::HTMText_InfoDown)->Text() != form.LastStatusText;
         ++i) {
      QApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    }
    form.TakeLayouts();
    r.Counters = form.Counters;
    r.LastTextShown =
        r.LastTextShown && form.Label(TControl::HTMText_InfoDown)->Text() == form.LastStatusText;
    const std::uintmax_t got = fs::exists(target) ? fs::file_size(target) : 0;
    fs::remove(target);
    if (form.PageIndex() != 1 || got != setBytes) {
      std::fprintf(stderr, "the window's download failed: page %d, %ju bytes\n", form.PageIndex(),
                   got);
      return false;
    }
  }
  return true;
}

void Print(const TServer& server, const TResult& r, double mib) {
  const double curl = Median(r.CurlWall), window = Median(r.WindowWall);
  const double curlBest = Best(r.CurlWall), windowBest = Best(r.WindowWall);
  std::printf("%s:\n", server.Name);
  std::printf("  %-8s %8s %10s %8s %10s %9s %13s\n", "", "median s", "MiB/s", "best s", "MiB/s",
              "cpu s", "server cpu s");
  std::printf("  %-8s %8.3f %10.1f %8.3f %10.1f %9.3f %13.3f\n", "curl", curl, mib / curl, curlBest,
              mib / curlBest, Median(r.CurlCpu), Median(r.CurlServer));
  std::printf("  %-8s %8.3f %10.1f %8.3f %10.1f %9.3f %13.3f\n", "window", window, mib / window,
              windowBest, mib / windowBest, Median(r.WindowCpu), Median(r.WindowServer));
  std::printf(
      "  window / curl throughput: %.2f of the medians, %.2f of the best (target at least "
      "0.95)\n",
      curl / window, curlBest / windowBest);
  std::printf("  window / curl cpu: %.2f of the medians (target at most 1.10)\n",
              Median(r.WindowCpu) / Median(r.CurlCpu));
  std::printf(
      "  per run: %ld status texts, %ld bar positions, %ld label layouts, %ld label paints, %ld "
      "bar paints; last text shown: %s\n",
      r.Counters.StatusTexts, r.Counters.Positions, r.Counters.LabelLayouts, r.Counters.LabelPaints,
      r.Counters.BarPaints, r.LastTextShown ? "yes" : "no");
}

}  // namespace

int Bench(int argc, char** argv) {
  const std::uint64_t sizeMiB = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1024;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  EnsureApplication();

  TScratch work("vornel-download-bench");
  const testing::TTestCA ca(work.Path() / "ca");
  const fs::path set = work.Path() / "set.zip";
  const std::uint64_t setBytes = MakeSet(set, {sizeMiB << 20, (sizeMiB << 20) / 4});
  std::printf("set: %.1f MiB, %d rounds per client and server\n", MiB(setBytes), rounds);

  testing::TDemoServer demo(set, ca, {});
  test::TNginxServer nginx(true);
  if (!nginx.Running()) {
    std::fprintf(stderr, "nginx did not start\n");
    return 1;
  }
  fs::create_directories(fs::path(nginx.Root()) / "QRTX/Instalace");
  fs::create_hard_link(set, fs::path(nginx.Root()) / (kSetPath + 1));
  // Both clients trust both servers' CAs.
  const fs::path trusted = work.Path() / "trusted.pem";
  {
    std::ofstream bundle(trusted, std::ios::binary);
    for (const fs::path& file : {ca.CA(), fs::path(nginx.CAFile())})
      bundle << std::ifstream(file, std::ios::binary).rdbuf();
  }
  setenv("SSL_CERT_FILE", trusted.c_str(), 1);

  const TServer servers[] = {
      {"demo server (tools/demo_server)", demo.Host(), demo.Pid()},
      {"nginx", FromUtf8(Concat("localhost:", std::to_string(nginx.TLSPort()))), NginxPid(nginx)}};
  TResult results[2];
  for (int i = 0; i < 2; ++i) {
    if (!Measure(servers[i], work.Path(), trusted, setBytes, rounds, results[i]))
      return 1;
  }
  for (int i = 0; i < 2; ++i)
    Print(servers[i], results[i], MiB(setBytes));
  return 0;
}

// A failure still stops the servers and removes the scratch folder.
int main(int argc, char** argv) {
  try {
    return Bench(argc, argv);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
}
