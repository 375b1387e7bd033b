// Files and settings that a test shares with its peers, which run on the
// building system: Wine shows that system's root as drive Z:, so a path of the
// peers' side is opened here below Z:.
#pragma once

#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>

#include "platform/text.h"

namespace vornel::test {

// A path of the peers' side as this process opens it.
inline std::string LocalPath(const std::string& peerPath) {
  if (!peerPath.starts_with('/'))
    return peerPath;
  std::string local = "Z:" + peerPath;
  for (char& c : local) {
    if (c == '/')
      c = '\\';
  }
  return local;
}

// The folder of the peer launcher (its port and the test CAs it made), as the
// peers name it; the CTest fixture linux_peers sets it.
inline std::string PeersFolder() {
  const char* folder = std::getenv("VORNEL_LINUX_PEERS");
  if (!folder)
    throw std::runtime_error("VORNEL_LINUX_PEERS is not set (the fixture linux_peers)");
  return folder;
}

// A fresh folder below the building system's /tmp for the test and its peers,
// removed with the object.
class TPeerFolder {
 public:
  explicit TPeerFolder(const std::string& prefix) {
    std::random_device random;
    do {
      FPeer = "/tmp/vornel-" + prefix + "-" + std::to_string(random());
      FLocal = LocalPath(FPeer);
    } while (!std::filesystem::create_directory(FLocal));
  }
  ~TPeerFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(FLocal, ignored);
  }
  TPeerFolder(const TPeerFolder&) = delete;
  TPeerFolder& operator=(const TPeerFolder&) = delete;

  // As the peers name it.
  const std::string& Peer() const { return FPeer; }
  // As this process opens it.
  const std::string& Local() const { return FLocal; }

 private:
  std::string FPeer, FLocal;
};

// For the C runtime's getenv and for the system's environment block, which
// OpenSSL reads.
inline void SetEnvironment(const char* name, const std::string& value) {
  ::_putenv_s(name, value.c_str());
  ::SetEnvironmentVariableW(reinterpret_cast<const wchar_t*>(FromUtf8(name).c_str()),
                            reinterpret_cast<const wchar_t*>(FromUtf8(value).c_str()));
}

inline void UnsetEnvironment(const char* name) {
  ::_putenv_s(name, "");
  ::SetEnvironmentVariableW(reinterpret_cast<const wchar_t*>(FromUtf8(name).c_str()), nullptr);
}

}  // namespace vornel::test
