#include "bench_tools.h"

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

extern char** environ;

namespace vornel::bench {

namespace fs = std::filesystem;

TScratch::TScratch(const char* name) {
  std::string pattern = (fs::temp_directory_path() / (std::string(name) + "-XXXXXX")).string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    std::perror("mkdtemp");
    std::exit(1);
  }
  FPath = pattern;
}

TScratch::~TScratch() {
  std::error_code ignored;
  fs::remove_all(FPath, ignored);
}

double SecondsSince(TClock::time_point start) {
  return std::chrono::duration<double>(TClock::now() - start).count();
}

double Median(std::vector<double> values) {
  if (values.empty())
    return 0;
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double Best(const std::vector<double>& values) {
  return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
}

bool Run(const std::vector<std::string>& args, double& cpu) {
  std::vector<char*> argv;
  std::vector<std::string> copy = args;
  for (std::string& arg : copy)
    argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
    return false;
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
        static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool Curl(const std::string& url, const fs::path& output, const fs::path& caFile, double& cpu) {
  return Run({"curl", "-sSf", "--cacert", caFile.string(), "-o", output.string(), url}, cpu);
}

double MiB(std::uint64_t bytes) {
  return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

}  // namespace vornel::bench
