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
#include "support/peer_channel.h"
#include "support/peer_paths.h"

namespace vornel::test {

// A fresh folder below the building system's /tmp for the test and its peers,
// removed with the object by the building system's rm (what the peers leave in
// it, such as nginx's folders of another owner, included).
class TPeerFolder {
 public:
  explicit TPeerFolder(const std::string& prefix) {
    std::random_device random;
    do {
      FPeer = "/tmp/vornel-" + prefix + "-" + std::to_string(random());
      FLocal = LocalPath(FPeer);
    } while (!std::filesystem::create_directory(FLocal));
  }
  ~TPeerFolder();
  TPeerFolder(const TPeerFolder&) = delete;
  TPeerFolder& operator=(const TPeerFolder&) = delete;

  // As the peers name it.
  const std::string& Peer() const { return FPeer; }
  // As this process opens it.
  const std::string& Local() const { return FLocal; }

 private:
  std::string FPeer, FLocal;
};

inline TPeerFolder::~TPeerFolder() {
  try {
    TPeerChannel rm({"rm", "-rf", FPeer});
    char end;
    rm.Read(&end, 1, 20000);  // nothing comes before its end
  } catch (const std::exception&) {
    // The launcher has gone: the fixture's cleanup leaves /tmp as it is.
  }
}

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
