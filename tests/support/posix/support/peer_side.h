// Files and settings that a test shares with its peers, which run on this same
// system: a path means the same to both.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>

namespace vornel::test {

// A path of the peers' side as this process opens it.
inline std::string LocalPath(const std::string& peerPath) {
  return peerPath;
}

// A fresh folder below /tmp for the test and its peers, removed with the object.
class TPeerFolder {
 public:
  explicit TPeerFolder(const std::string& prefix) {
    std::string pattern = "/tmp/vornel-" + prefix + "-XXXXXX";
    if (!::mkdtemp(pattern.data()))
      throw std::runtime_error("mkdtemp");
    FPath = pattern;
  }
  ~TPeerFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(FPath, ignored);
  }
  TPeerFolder(const TPeerFolder&) = delete;
  TPeerFolder& operator=(const TPeerFolder&) = delete;

  // As the peers name it.
  const std::string& Peer() const { return FPath; }
  // As this process opens it.
  const std::string& Local() const { return FPath; }

 private:
  std::string FPath;
};

inline void SetEnvironment(const char* name, const std::string& value) {
  ::setenv(name, value.c_str(), 1);
}

inline void UnsetEnvironment(const char* name) {
  ::unsetenv(name);
}

}  // namespace vornel::test
