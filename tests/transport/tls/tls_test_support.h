// Real TLS peers for the handler's tests: the test CA (support/test_pki.h) and
// peer programs (openssl s_server, the scripted Python peer) on loopback
// (support/peer_process.h).
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/peer_process.h"
#include "support/test_pki.h"

namespace vornel::test {

// Folder of the test sources: the Python peer.
inline std::string TlsTestSourceDir() {
  return VORNEL_TLS_TEST_DIR;
}

// The port a peer announced: "PORT <n>" (Python peer) or "ACCEPT <addr>:<n>"
// (openssl s_server).
inline std::uint16_t AnnouncedPort(TPeerProcess& peer) {
  for (int i = 0; i < 50; ++i) {
    const std::optional<std::string> found = peer.ReadLine();
    if (!found)
      break;
    const std::string& line = *found;
    if (line.rfind("PORT ", 0) == 0)
      return static_cast<std::uint16_t>(std::stoi(line.substr(5)));
    if (line.rfind("ACCEPT ", 0) == 0)
      return static_cast<std::uint16_t>(std::stoi(line.substr(line.rfind(':') + 1)));
  }
  throw std::runtime_error("the peer announced no port");
}

// openssl s_server answering HTTP requests with a status page. It sends the
// certificates of the file that follow the leaf as its chain, as servers do.
inline std::vector<std::string> SServer(const TTestPki& pki, const std::string& cert,
                                        std::vector<std::string> extra = {}) {
  std::vector<std::string> argv = {"openssl",     "s_server",    "-accept",      "127.0.0.1:0",
                                   "-www",        "-cert",       pki.Cert(cert), "-key",
                                   pki.Key(cert), "-cert_chain", pki.Cert(cert)};
  argv.insert(argv.end(), extra.begin(), extra.end());
  return argv;
}

inline std::vector<std::string> PythonPeer(const TTestPki& pki, const std::string& mode,
                                           const std::string& arg = {}) {
  std::vector<std::string> argv = {"python3", TlsTestSourceDir() + "/tls_peer.py", mode,
                                   pki.Cert("server"), pki.Key("server")};
  if (!arg.empty())
    argv.push_back(arg);
  return argv;
}

}  // namespace vornel::test
