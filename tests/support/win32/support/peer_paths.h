// Paths of the building system, where the tests' peers run: Wine shows that
// system's root as drive Z:.
#pragma once

#include <cstdlib>
#include <stdexcept>
#include <string>

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

}  // namespace vornel::test
