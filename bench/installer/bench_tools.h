// What the installer's benchmarks share: a scratch folder, the wall clock, medians
// and the command-line tools they compare with (curl, unzip), each run as a child.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace vornel::bench {

// A fresh folder under the system's temporary folder, removed with its content.
class TScratch {
 public:
  explicit TScratch(const char* name);
  ~TScratch();
  TScratch(const TScratch&) = delete;
  TScratch& operator=(const TScratch&) = delete;
  const std::filesystem::path& Path() const { return FPath; }

 private:
  std::filesystem::path FPath;
};

using TClock = std::chrono::steady_clock;
double SecondsSince(TClock::time_point start);
double Median(std::vector<double> values);
double Best(const std::vector<double>& values);

// Runs the program with the arguments and waits; false when it failed. cpu gets the
// child's user and system seconds.
bool Run(const std::vector<std::string>& args, double& cpu);

// curl fetching the address into the file, trusting only the CA file.
bool Curl(const std::string& url, const std::filesystem::path& output,
          const std::filesystem::path& caFile, double& cpu);

double MiB(std::uint64_t bytes);

// The parts appended one after the other.
template <typename... TParts>
std::string Concat(const TParts&... parts) {
  std::string text;
  ((text += parts), ...);
  return text;
}

}  // namespace vornel::bench
