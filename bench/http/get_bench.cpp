// Get of a large file from nginx on loopback with the HTTP client, into a
// discarding stream and into a file, against curl fetching the same target from
// the same server, in turn within one run. Prints the median wall time, the
// throughput and the CPU time of each, and the client's peak memory after a
// small and after the large transfer.
//
//   http_get_bench [SIZE_MIB] [RUNS] [--plain]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "http/custom_http.h"
#include "nginx_server.h"
#include "platform/file_stream.h"
#include "platform/text.h"
#include "support/discard_stream.h"
#include "tls_setup.h"

namespace {

using namespace vornel;

using testing::TDiscardStream;

struct TSample {
  double Wall;  // seconds
  double Cpu;   // user + system seconds
};

double Seconds(const timeval& t) {
  return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6;
}

double SelfCpu() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
}

long PeakKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

TSample InProcess(const std::function<void()>& fetch) {
  const double cpu = SelfCpu();
  const auto start = std::chrono::steady_clock::now();
  fetch();
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return {wall, SelfCpu() - cpu};
}

TSample Curl(const std::string& url, const std::string& output, const std::string& caFile) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    if (caFile.empty()) {
      execlp("curl", "curl", "-s", "-o", output.c_str(), url.c_str(), nullptr);
    } else {
      execlp("curl", "curl", "-s", "--cacert", caFile.c_str(), "-o", output.c_str(), url.c_str(),
             nullptr);
    }
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    std::fprintf(stderr, "curl failed\n");
  return {wall, Seconds(usage.ru_utime) + Seconds(usage.ru_stime)};
}

TSample Median(std::vector<TSample> samples) {
  std::vector<double> wall, cpu;
  for (const TSample& s : samples) {
    wall.push_back(s.Wall);
    cpu.push_back(s.Cpu);
  }
  std::sort(wall.begin(), wall.end());
  std::sort(cpu.begin(), cpu.end());
  return {wall[wall.size() / 2], cpu[cpu.size() / 2]};
}

void Print(const char* name, const TSample& s, double mib) {
  std::printf("%-28s %8.3f s  %8.1f MiB/s  cpu %7.3f s\n", name, s.Wall, mib / s.Wall, s.Cpu);
}

}  // namespace

int main(int argc, char** argv) {
  int sizeMiB = 1024;
  int runs = 5;
  bool plain = false;
  std::vector<std::string> numbers;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--plain") {
      plain = true;
    } else {
      numbers.push_back(argv[i]);
    }
  }
  if (numbers.size() > 0)
    sizeMiB = std::atoi(numbers[0].c_str());
  if (numbers.size() > 1)
    runs = std::atoi(numbers[1].c_str());
  const bool tls = !plain && TLSAvailable();

  test::TNginxServer server(tls);
  if (!server.Running()) {
    std::fprintf(stderr, "nginx did not start\n");
    return 1;
  }
  auto makeFile = [&](const std::string& name, int mib) {
    server.WriteFile(name, "");
    std::filesystem::resize_file(server.Root() + "/" + name, static_cast<std::uintmax_t>(mib)
                                                                 << 20);
  };
  makeFile("small.bin", 64);
  makeFile("large.bin", sizeMiB);
  auto url = [&](const std::string& path) { return tls ? server.TLSUrl(path) : server.Url(path); };
  const std::string target = server.Folder() + "/download.bin";
  const std::u16string target16 = FromUtf8(target);
  const std::string ca = tls ? server.CAFile() : std::string();

  TNetHTTP http;
  if (tls)
    AttachBenchTLS(http, server.CAFile());
  {
    TDiscardStream sink;
    http.Get(url("/small.bin"), sink);
  }
  const long peakSmall = PeakKiB();

  std::vector<TSample> discard, file, curlNull, curlFile;
  for (int i = 0; i < runs; ++i) {
    discard.push_back(InProcess([&] {
      TDiscardStream sink;
      http.Get(url("/large.bin"), sink);
    }));
    file.push_back(InProcess([&] {
      TFileStream out(target16, fmCreate);
      http.Get(url("/large.bin"), out);
    }));
    curlNull.push_back(Curl(ToUtf8(url("/large.bin")), "/dev/null", ca));
    curlFile.push_back(Curl(ToUtf8(url("/large.bin")), target, ca));
  }
  const double mib = sizeMiB;
  std::printf("Get of %d MiB over %s from nginx on loopback, median of %d runs\n", sizeMiB,
              tls ? "TLS" : "plain HTTP", runs);
  const TSample d = Median(discard), f = Median(file), cn = Median(curlNull), cf = Median(curlFile);
  Print("netlib into discarding stream", d, mib);
  Print("curl -s -o /dev/null", cn, mib);
  Print("netlib into file", f, mib);
  Print("curl -s -o file", cf, mib);
  std::printf("throughput ratio (discard / file): %.2f / %.2f\n", cn.Wall / d.Wall,
              cf.Wall / f.Wall);
  std::printf("cpu ratio (discard / file): %.2f / %.2f\n", d.Cpu / cn.Cpu, f.Cpu / cf.Cpu);
  std::printf("peak memory after 64 MiB: %ld KiB, after %d MiB: %ld KiB\n", peakSmall, sizeMiB,
              PeakKiB());
  std::filesystem::remove(target);
  return 0;
}
