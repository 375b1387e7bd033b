// The peer program runs on the building system, not here: the peer launcher
// there (tests/support/peer_launcher.py, started by the CTest fixture
// linux_peers) starts it for one connection, relays its standard output over
// that connection and ends it when the connection closes.
#pragma once

#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/loopback_socket.h"
#include "support/peer_paths.h"

namespace vornel::test {

class TPeerChannel {
 public:
  explicit TPeerChannel(const std::vector<std::string>& argv) {
    std::ifstream portFile(LocalPath(PeersFolder() + "/port"));
    int port = 0;
    if (!(portFile >> port) || (FSocket = loopback::Connect(static_cast<std::uint16_t>(port))) < 0)
      throw std::runtime_error("the peer launcher does not answer");
    // The program and its arguments as one line, a JSON array of strings.
    std::string request = "[";
    for (const std::string& a : argv) {
      request += request.size() > 1 ? ",\"" : "\"";
      for (const char c : a) {
        if (c == '"' || c == '\\')
          request += '\\';
        request += c;
      }
      request += '"';
    }
    if (!loopback::SendAll(FSocket, request + "]\n"))
      throw std::runtime_error("the peer launcher took no request");
  }
  ~TPeerChannel() { loopback::Close(FSocket); }
  TPeerChannel(const TPeerChannel&) = delete;
  TPeerChannel& operator=(const TPeerChannel&) = delete;

  // Bytes of output within ms: -1 after the time-out, 0 at the end.
  long Read(char* buffer, std::size_t size, int ms) {
    if (!loopback::Readable(FSocket, ms))
      return -1;
    return loopback::Receive(FSocket, buffer, size);
  }

 private:
  int FSocket = -1;
};

}  // namespace vornel::test
