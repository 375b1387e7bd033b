// The Windows twin of the tests' connected client (the build puts this folder
// ahead of the POSIX one): a TCP client connected to a scripted loopback server.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "transport/support/loopback_server.h"
#include "transport/tcp_client.h"

namespace vornel::test {

class ConnectedClientTest : public ::testing::Test {
 protected:
  void Start(TScript script) {
    FServer = std::make_unique<TLoopbackServer>(std::move(script));
    FClient.SetHost(u"127.0.0.1");
    FClient.SetPort(FServer->Port());
    FClient.Connect();
  }
  TNetIOHandler& IO() { return *FClient.IOHandler(); }

  // The server outlives the client, so a script that waits for the client's close
  // sees it.
  std::unique_ptr<TLoopbackServer> FServer;
  TNetTCPClientCustom FClient;
};

// Bytes i mod 251 from first on, as the server's SendPattern sends them.
inline std::vector<std::uint8_t> PatternBytes(std::size_t count, std::size_t first = 0) {
  std::vector<std::uint8_t> bytes(count);
  for (std::size_t i = 0; i < count; ++i)
    bytes[i] = static_cast<std::uint8_t>((first + i) % 251);
  return bytes;
}

// A listener whose accept queue is full, so that further connection requests
// are dropped and a connect to it never completes.
class TFullBacklogListener {
 public:
  TFullBacklogListener() : FListener(ListenLoopback(0, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(LocalPort(FListener));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    // With a backlog of 0 one connection fills the queue; a second one makes sure.
    for (int i = 0; i < 2; ++i) {
      const SOCKET fd = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
      u_long nonBlocking = 1;
      ::ioctlsocket(fd, FIONBIO, &nonBlocking);
      ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
      WSAPOLLFD entry{fd, POLLWRNORM, 0};
      ::WSAPoll(&entry, 1, i == 0 ? 1000 : 100);
      FFillers.push_back(static_cast<int>(static_cast<std::intptr_t>(fd)));
    }
  }
  ~TFullBacklogListener() {
    for (int fd : FFillers)
      CloseFd(fd);
    CloseFd(FListener);
  }
  std::uint16_t Port() const { return LocalPort(FListener); }

 private:
  int FListener;
  std::vector<int> FFillers;
};

}  // namespace vornel::test
