// The Windows counterparts of the socket layer's tests: the stack on Windows
// Sockets 2.2 with the system's own error numbers, against a peer written on raw
// WinSock calls so that it shares nothing with the code under test.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>

#include "platform/text.h"
#include "transport/socket/net_stack.h"
#include "transport/socket/socket_error.h"
#include "transport/socket/socket_handle.h"

#include <winsock2.h>
#include <ws2tcpip.h>

namespace vornel {
namespace {

// A listening socket on 127.0.0.1 with an ephemeral port, accepting one peer on a
// thread of its own that runs script on it.
class TWinSockPeer {
 public:
  explicit TWinSockPeer(std::function<void(SOCKET)> script) {
    WSADATA data{};
    WSAStartup(MAKEWORD(2, 2), &data);
    FListen = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(FListen, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(FListen, 4);
    int length = sizeof address;
    ::getsockname(FListen, reinterpret_cast<sockaddr*>(&address), &length);
    FPort = ntohs(address.sin_port);
    FThread = std::thread([this, script] {
      const SOCKET peer = ::accept(FListen, nullptr, nullptr);
      if (peer == INVALID_SOCKET)
        return;
      script(peer);
      ::closesocket(peer);
    });
  }
  ~TWinSockPeer() {
    FThread.join();
    ::closesocket(FListen);
    WSACleanup();
  }
  std::uint16_t Port() const { return FPort; }

 private:
  SOCKET FListen = INVALID_SOCKET;
  std::uint16_t FPort = 0;
  std::thread FThread;
};

// Waits until the other side closes (a receive of 0) or fails.
void WaitForClose(SOCKET peer) {
  char buffer[256];
  while (::recv(peer, buffer, sizeof buffer, 0) > 0) {
  }
}

TEST(WinSockStackTest, TheNativeStackIsWinSockAndCountsItsUsers) {
  ASSERT_EQ(TNetStack::UsageCount(), 0);
  {
    TNetStackUsage usage;
    ASSERT_NE(TNetStack::Instance(), nullptr);
    EXPECT_EQ(usage.Stack().ResolveHost(u"LocalHost", Net_IPv4), u"127.0.0.1");
    EXPECT_EQ(usage.Stack().ResolveHost(u"0:0:0:0:0:0:0:1", Net_IPv6), u"::1");
    EXPECT_EQ(usage.Stack().ResolveHost(u"FE80:0:0::1", Net_IPv6), u"fe80::1");
  }
  EXPECT_EQ(TNetStack::Instance(), nullptr);
}

TEST(WinSockStackTest, AnUnresolvableNameIsHostNotFound) {
  TNetStackUsage usage;
  const std::u16string name = u"no-such-host-" + std::u16string(70, u'x') + u".invalid";
  try {
    usage.Stack().ResolveHost(name, Net_IPv4);
    FAIL() << "resolved";
  } catch (const ENetSocketError& e) {
    EXPECT_EQ(e.LastError(), 11001);
    EXPECT_EQ(e.Message(), u"Socket Error # 11001\r\nHost not found.");
  }
}

TEST(WinSockStackTest, ARefusedConnectionCarriesTheSystemsNumber) {
  std::uint16_t port = 0;
  {
    TWinSockPeer closed([](SOCKET) {});
    port = closed.Port();
    // Connect once so the peer's accept returns and the listener closes.
    TNetSocketHandle handle;
    handle.AllocateSocket();
    handle.SetPeer(u"127.0.0.1", port);
    handle.Connect();
  }
  TNetSocketHandle handle;
  handle.AllocateSocket();
  handle.SetPeer(u"127.0.0.1", port);
  try {
    handle.Connect();
    FAIL() << "connected";
  } catch (const ENetSocketError& e) {
    EXPECT_EQ(e.LastError(), 10061);
    EXPECT_EQ(e.Message(), u"Socket Error # 10061\r\nConnection refused.");
  }
}

TEST(WinSockStackTest, BytesBothWaysAndTheAddressesOfBothEnds) {
  TWinSockPeer peer([](SOCKET socket) {
    char buffer[5] = {};
    int got = 0;
    while (got < 5) {
      const int n = ::recv(socket, buffer + got, 5 - got, 0);
      if (n <= 0)
        return;
      got += n;
    }
    ::send(socket, "world", 5, 0);
    WaitForClose(socket);
  });
  TNetSocketHandle handle;
  handle.AllocateSocket();
  handle.Bind();
  handle.SetPeer(u"127.0.0.1", peer.Port());
  handle.Connect();
  EXPECT_EQ(handle.PeerIP(), u"127.0.0.1");
  EXPECT_EQ(handle.PeerPort(), peer.Port());
  EXPECT_EQ(handle.IP(), u"127.0.0.1");
  EXPECT_NE(handle.Port(), 0);

  EXPECT_FALSE(handle.Readable(0)) << "nothing was sent yet";
  const std::string hello = "hello";
  EXPECT_EQ(handle.Send(TBytes(hello.begin(), hello.end())), 5);
  EXPECT_TRUE(handle.Readable(60000));
  std::string received;
  TBytes buffer(16);
  while (received.size() < 5) {
    const int n = handle.Receive(buffer);
    ASSERT_GT(n, 0);
    received.append(buffer.begin(), buffer.begin() + n);
  }
  EXPECT_EQ(received, "world");
  handle.CloseSocket();
}

}  // namespace
}  // namespace vornel
