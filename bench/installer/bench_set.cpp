#include "bench_set.h"

#include "bench_tools.h"

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vornel::bench {

namespace fs = std::filesystem;

namespace {

constexpr std::uint64_t kItemBytes = 8 * 1024 * 1024;

class TRandom {
 public:
  explicit TRandom(std::uint64_t seed) : FState(seed * 0x9E3779B97F4A7C15ull + 1) {}
  std::uint64_t Next() {
    FState ^= FState << 13;
    FState ^= FState >> 7;
    FState ^= FState << 17;
    return FState;
  }

 private:
  std::uint64_t FState;
};

void Shell(const std::string& command) {
  const int status = std::system(command.c_str());
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    throw std::runtime_error("failed: " + command);
}

std::string Quoted(const fs::path& path) {
  return Concat("'", path.string(), "'");
}

void WriteRandom(const fs::path& file, std::uint64_t bytes, TRandom& random) {
  std::vector<std::uint64_t> block(64 * 1024);
  std::ofstream out(file, std::ios::binary);
  while (bytes > 0) {
    for (std::uint64_t& word : block)
      word = random.Next();
    const std::uint64_t count = std::min<std::uint64_t>(bytes, block.size() * 8);
    out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(count));
    bytes -= count;
  }
}

// Lines of words, numbers and dates, as logs, tables and help texts read.
void WriteText(const fs::path& file, std::uint64_t bytes, TRandom& random) {
  static constexpr std::array<std::string_view, 32> kWords = {
      "instalace",  "soubor",  "sada",   "rozbalit", "program", "verze",    "Tarvo",   "okno",
      "the",        "value",   "record", "table",    "column",  "customer", "invoice", "amount",
      "účetnictví", "daň",     "období", "faktura",  "částka",  "položka",  "sklad",   "řádek",
      "error",      "warning", "config", "update",   "server",  "client",   "přehled", "zpráva"};
  std::string text;
  text.reserve(1 << 20);
  std::ofstream out(file, std::ios::binary);
  while (bytes > 0) {
    text.clear();
    while (text.size() < (1 << 20) - 200) {
      const std::uint64_t r = random.Next();
      const int words = 4 + static_cast<int>(r % 9);
      text += Concat(std::to_string(2020 + (r >> 8) % 3), "-0", std::to_string(1 + (r >> 12) % 9),
                     ";", std::to_string((r >> 16) % 100000), ";");
      for (int i = 0; i < words; ++i) {
        text += kWords[(random.Next() >> 20) % kWords.size()];
        text += ' ';
      }
      text +=
          Concat(std::to_string((r >> 24) % 10000), ",", std::to_string((r >> 40) % 100), "\r\n");
    }
    const std::uint64_t count = std::min<std::uint64_t>(bytes, text.size());
    out.write(text.data(), static_cast<std::streamsize>(count));
    bytes -= count;
  }
}

}  // namespace

std::uint64_t MakeSet(const fs::path& zip, const TSetShape& shape) {
  const fs::path staging = zip.parent_path() / (zip.stem().string() + ".staging");
  fs::remove_all(staging);
  fs::create_directories(staging / "Data");
  fs::remove(zip);
  TRandom random(2021);

  std::ofstream(staging / "Setup.exe", std::ios::binary) << "#!/bin/sh\nexit 0\n";
  fs::permissions(staging / "Setup.exe",
                  fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
  std::ofstream(staging / "Aktual.txt", std::ios::binary) << "2021K1\r\n";
  std::ofstream(staging / "Ctimne.txt", std::ios::binary) << "Čtěte mne\r\n";
  WriteRandom(staging / "Setup-1.bin", 1024 * 1024, random);
  int item = 0;
  for (std::uint64_t left = shape.TextBytes; left > 0;) {
    const std::uint64_t bytes = std::min(left, kItemBytes);
    WriteText(staging / "Data" / Concat("text", std::to_string(item++), ".txt"), bytes, random);
    left -= bytes;
  }
  // Text deflated, random data stored, as zip does with what does not shrink.
  Shell(Concat("cd ", Quoted(staging), " && zip -q -r -n .bin ", Quoted(zip), " ."));
  fs::remove_all(staging / "Data");

  // Random items until the zip has about its size, added stored.
  std::uint64_t size = fs::file_size(zip);
  if (size < shape.ZipBytes) {
    fs::create_directories(staging / "Data");
    for (std::uint64_t left = shape.ZipBytes - size; left > 0;) {
      const std::uint64_t bytes = std::min(left, kItemBytes);
      WriteRandom(staging / "Data" / Concat("payload", std::to_string(item++), ".bin"), bytes,
                  random);
      left -= bytes;
    }
    Shell(Concat("cd ", Quoted(staging), " && zip -q -r -0 ", Quoted(zip), " Data"));
    size = fs::file_size(zip);
  }
  fs::remove_all(staging);
  return size;
}

}  // namespace vornel::bench
