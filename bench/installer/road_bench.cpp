// The whole road on the real window (offscreen) for a set from the demo server on
// loopback over TLS: "Start", page 1, "Rozbalit", page 2, "Instalovat" with the
// set's setup stand-in exiting at once, against curl plus "unzip -qo" doing the
// same download and extraction, in turn within one run. Prints the median wall
// time of each phase and of the whole, and the ratio of the wholes.
//
//   installer_road_bench [SIZE_MIB] [ROUNDS]
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <exception>
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

struct TPhases {
  std::vector<double> Download, Unpack, Install, Whole;
};

void PrintRow(const char* name, const TPhases& p, double mib) {
  const double whole = Median(p.Whole);
  std::printf("%-16s %9.3f %9.3f %9.3f %9.3f %9.3f %9.1f\n", name, Median(p.Download),
              Median(p.Unpack), p.Install.empty() ? 0.0 : Median(p.Install), whole, Best(p.Whole),
              mib / whole);
}

std::uintmax_t TreeBytes(const fs::path& folder) {
  std::uintmax_t total = 0;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (entry.is_regular_file())
      total += entry.file_size();
  return total;
}

}  // namespace

int Bench(int argc, char** argv) {
  const std::uint64_t sizeMiB = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 200;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  EnsureApplication();

  TScratch work("vornel-road-bench");
  const testing::TTestCA ca(work.Path() / "ca");
  setenv("SSL_CERT_FILE", ca.CA().c_str(), 1);
  const fs::path set = work.Path() / "set.zip";
  const std::uint64_t setBytes = MakeSet(set, {sizeMiB << 20, (sizeMiB << 20) * 3 / 2});

  testing::TDemoServer server(set, ca, {});
  const std::string url = Concat("https://localhost:", std::to_string(server.Port()), kSetPath);
  const fs::path temp = work.Path() / "temp";
  const fs::path archive = temp / "Tarvo2021_2021K1.zip";
  const fs::path unpacked = temp / "Tarvo2021_2021K1";
  fs::create_directories(temp);

  TPhases tools, window;
  std::uintmax_t unpackedBytes = 0;
  bool ok = true;
  for (int round = 0; round < rounds && ok; ++round) {
    double cpu = 0;
    auto start = TClock::now();
    ok = Curl(url, archive, ca.CA(), cpu);
    tools.Download.push_back(SecondsSince(start));
    const auto unzipStart = TClock::now();
    ok = ok && Run({"unzip", "-qo", archive.string(), "-d", unpacked.string()}, cpu);
    tools.Unpack.push_back(SecondsSince(unzipStart));
    tools.Whole.push_back(SecondsSince(start));
    unpackedBytes = ok ? TreeBytes(unpacked) : 0;
    fs::remove(archive);
    fs::remove_all(unpacked);
    if (!ok) {
      std::fprintf(stderr, "curl or unzip failed\n");
      break;
    }

    TInstallerState state;
    TBenchForm form(state, work.Path());
    form.Aim(server.Host(), temp);
    form.show();
    QApplication::processEvents();
    start = TClock::now();
    form.Click(TControl::B_StartK1);
    window.Download.push_back(SecondsSince(start));
    ok = form.PageIndex() == 1;
    const auto unpackStart = TClock::now();
    if (ok)
      form.Click(TControl::B_RozbalK2);
    window.Unpack.push_back(SecondsSince(unpackStart));
    ok = ok && form.PageIndex() == 2;
    const auto installStart = TClock::now();
    if (ok)
      form.Click(TControl::B_InstalK3);
    window.Install.push_back(SecondsSince(installStart));
    window.Whole.push_back(SecondsSince(start));
    ok = ok && state.ExitCodeSetup == 0 && form.ButtonCaption(TControl::B_InstalK3) == u"Dokončit";
    if (!ok) {
      std::fprintf(stderr, "the window's road failed on page %d\n", form.PageIndex());
      break;
    }
    if (TreeBytes(unpacked) != unpackedBytes) {
      std::fprintf(stderr, "the window unpacked %ju bytes, unzip %ju\n",
                   static_cast<std::uintmax_t>(TreeBytes(unpacked)), unpackedBytes);
      ok = false;
    }
    // "Dokončit": the close removes what was unpacked.
    form.Click(TControl::B_InstalK3);
    fs::remove_all(unpacked);
  }
  if (!ok)
    return 1;

  std::printf("set: %.1f MiB zipped, %.1f MiB unpacked\n", MiB(setBytes), MiB(unpackedBytes));
  std::printf("%-16s %9s %9s %9s %9s %9s %9s\n", "", "fetch s", "unpack s", "setup s", "whole s",
              "best s", "MiB/s");
  PrintRow("curl + unzip", tools, MiB(setBytes));
  PrintRow("window", window, MiB(setBytes));
  std::printf(
      "window / (curl + unzip) wall time: %.2f of the medians, %.2f of the best (target "
      "at most 1.20)\n",
      Median(window.Whole) / Median(tools.Whole), Best(window.Whole) / Best(tools.Whole));
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
