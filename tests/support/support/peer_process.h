// A program of the building system that a test starts as its peer (a server on
// loopback), its standard output read line by line; ended with the object.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "support/peer_channel.h"

namespace vornel::test {

class TPeerProcess {
 public:
  explicit TPeerProcess(const std::vector<std::string>& argv) : FChannel(argv) {}

  // The next line of output without its end; nothing after the time-out or the end.
  std::optional<std::string> ReadLine(int timeoutMs = 20000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      const std::size_t end = FPending.find('\n');
      if (end != std::string::npos) {
        std::string line = FPending.substr(0, end);
        FPending.erase(0, end + 1);
        return line;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                            deadline - std::chrono::steady_clock::now())
                            .count();
      if (left <= 0)
        return std::nullopt;
      char buffer[4096];
      const long n = FChannel.Read(buffer, sizeof buffer, static_cast<int>(left));
      if (n <= 0)
        return std::nullopt;
      FPending.append(buffer, static_cast<std::size_t>(n));
    }
  }
  // Skips lines until one begins with prefix and returns the rest of it; "?"
  // when none came.
  std::string WaitFor(const std::string& prefix, int timeoutMs = 20000) {
    while (std::optional<std::string> line = ReadLine(timeoutMs)) {
      if (line->rfind(prefix, 0) == 0)
        return line->substr(prefix.size());
    }
    return "?";
  }

 private:
  TPeerChannel FChannel;
  std::string FPending;
};

}  // namespace vornel::test
