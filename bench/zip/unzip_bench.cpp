// Extraction speed: about 200 MiB of real files of this machine, zipped the way
// Info-ZIP "zip -r" writes them, extracted into a fresh folder by the unzipper,
// by "unzip -qo" and by "7z x -y", in turn, a few rounds each. Prints wall times.
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/text.h"
#include "zip/unzipper.h"

namespace fs = std::filesystem;

namespace {

int Shell(const std::string& command) {
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Copies regular files from the folders until about limit bytes are gathered.
void GatherSet(const fs::path& target, std::uintmax_t limit) {
  std::uintmax_t total = 0;
  for (const char* root : {"/usr/share/doc", "/usr/include", "/usr/share/locale",
                           "/usr/lib/x86_64-linux-gnu", "/usr/share", "/usr/lib"}) {
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(
             root, fs::directory_options::skip_permission_denied, ec);
         it != fs::recursive_directory_iterator() && total < limit; it.increment(ec)) {
      if (ec || !it->is_regular_file(ec) || it->is_symlink(ec))
        continue;
      const std::uintmax_t size = it->file_size(ec);
      if (ec || size > 64 * 1024 * 1024)
        continue;
      const fs::path rel = fs::relative(it->path(), "/", ec);
      if (ec || fs::exists(target / rel))
        continue;
      fs::create_directories((target / rel).parent_path(), ec);
      fs::copy_file(it->path(), target / rel, ec);
      if (!ec)
        total += size;
    }
    if (total >= limit)
      break;
  }
  std::printf("set: %.1f MiB\n", static_cast<double>(total) / (1024 * 1024));
}

double Seconds(const std::chrono::steady_clock::time_point& start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  const fs::path work =
      argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "vornel-unzip-bench";
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
  const fs::path archive = work / "set.zip";
  fs::create_directories(work);
  if (!fs::exists(archive)) {
    GatherSet(work / "set", 200ull * 1024 * 1024);
    if (Shell("cd '" + (work / "set").string() + "' && zip -q -r '" + archive.string() + "' .") !=
        0) {
      std::fprintf(stderr, "zip failed\n");
      return 1;
    }
    fs::remove_all(work / "set");
  }
  std::printf("archive: %s, %.1f MiB\n", archive.c_str(),
              static_cast<double>(fs::file_size(archive)) / (1024 * 1024));
  const fs::path out = work / "out";
  double best[3] = {1e9, 1e9, 1e9};
  const char* names[3] = {"TArUnZipper", "unzip -qo", "7z x -y"};
  for (int round = 0; round < rounds; ++round) {
    for (int tool = 0; tool < 3; ++tool) {
      fs::remove_all(out);
      fs::create_directories(out);
      Shell("sync");
      const auto start = std::chrono::steady_clock::now();
      int failures = 0;
      if (tool == 0) {
        vornel::TArUnZipper unzipper;
        unzipper.SetExtractOptions(vornel::eoCreateDirs | vornel::eoRestorePath);
        unzipper.OnProcessItemFailure = [&](vornel::TArUnZipper&, vornel::TArZipItem&,
                                            vornel::TArProcessType, vornel::TArErrorClass,
                                            int) { ++failures; };
        unzipper.SetFileName(vornel::FromUtf8(archive.string()));
        unzipper.SetBaseDirectory(vornel::FromUtf8(out.string()));
        unzipper.ExtractFiles(u"*.*");
      } else if (tool == 1) {
        failures = Shell("unzip -qo '" + archive.string() + "' -d '" + out.string() + "'");
      } else {
        failures = Shell("7z x -y '-o" + out.string() + "' '" + archive.string() + "' > /dev/null");
      }
      const double t = Seconds(start);
      if (t < best[tool])
        best[tool] = t;
      std::printf("round %d  %-12s %7.3f s%s\n", round + 1, names[tool], t,
                  failures ? "  (failures)" : "");
    }
  }
  std::printf("best: TArUnZipper %.3f s, unzip %.3f s, 7z %.3f s; ratio to unzip %.2f\n", best[0],
              best[1], best[2], best[0] / best[1]);
  fs::remove_all(out);
  return 0;
}
