#include "transport/socket/socket_handle.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <vector>

#include "platform/clock.h"
#include "platform/text.h"
#include "transport/socket/net_exception.h"
#include "transport/socket/socket_error.h"
#include "transport/socket/stack_exceptions.h"
#include "transport/support/loopback_server.h"

namespace vornel {
namespace {

using test::TLoopbackServer;
using test::TPeer;

// A port that nothing listens on: bound once, then released.
std::uint16_t UnusedPort() {
  const int fd = test::ListenLoopback();
  const std::uint16_t port = test::LocalPort(fd);
  ::close(fd);
  return port;
}

// Three consecutive ports that are free at the time of the call.
std::uint16_t FreeRangeOfThree() {
  for (int attempt = 0; attempt < 50; ++attempt) {
    const std::uint16_t base = UnusedPort();
    if (base > 65000)
      continue;
    bool free = true;
    for (int i = 1; i < 3 && free; ++i) {
      try {
        ::close(test::ListenLoopback(static_cast<std::uint16_t>(base + i)));
      } catch (...) {
        free = false;
      }
    }
    if (free)
      return base;
  }
  throw std::runtime_error("no free port range");
}

std::unique_ptr<TNetSocketHandle> ConnectTo(std::uint16_t port) {
  auto handle = std::make_unique<TNetSocketHandle>();
  handle->AllocateSocket();
  handle->Bind();
  handle->SetPeer(u"127.0.0.1", port);
  handle->Connect();
  return handle;
}

TEST(SocketHandleTest, NewHandleHasTheDefaults) {
  TNetSocketHandle handle;
  EXPECT_FALSE(handle.HandleAllocated());
  EXPECT_EQ(handle.Handle(), -1);
  EXPECT_EQ(handle.IPVersion(), Net_IPv4);
  EXPECT_EQ(handle.ReuseSocket(), rsOSDependent);
  EXPECT_TRUE(handle.UseNagle());
  EXPECT_EQ(handle.SocketType(), 0);
}

TEST(SocketHandleTest, AllocateReadsTheSocketType) {
  TNetSocketHandle handle;
  handle.AllocateSocket();
  EXPECT_TRUE(handle.HandleAllocated());
  EXPECT_EQ(handle.SocketType(), Net_SOCK_STREAM);
  EXPECT_TRUE(handle.UseNagle());
}

TEST(SocketHandleTest, BindToPortZeroGivesAnEphemeralPort) {
  TNetSocketHandle handle;
  handle.AllocateSocket();
  handle.Bind();
  EXPECT_NE(handle.Port(), 0);
  EXPECT_EQ(handle.IP(), u"0.0.0.0");
}

TEST(SocketHandleTest, BindToABusyPortFails) {
  const int listener = test::ListenLoopback();
  TNetSocketHandle handle;
  handle.AllocateSocket();
  handle.SetIP(u"127.0.0.1");
  handle.SetPort(test::LocalPort(listener));
  try {
    handle.Bind();
    ADD_FAILURE() << "bound";
  } catch (const ENetCouldNotBindSocket& e) {
    EXPECT_EQ(e.Message(), u"Could not bind socket. Address and port are already in use.");
  }
  ::close(listener);
}

TEST(SocketHandleTest, PortRangeBindsTheHighestFreePort) {
  const std::uint16_t base = FreeRangeOfThree();
  const int busy = test::ListenLoopback(static_cast<std::uint16_t>(base + 2));
  TNetSocketHandle handle;
  handle.AllocateSocket();
  handle.SetIP(u"127.0.0.1");
  handle.SetClientPortMin(base);
  handle.SetClientPortMax(static_cast<std::uint16_t>(base + 2));
  handle.Bind();
  EXPECT_EQ(handle.Port(), base + 1);
  ::close(busy);
}

TEST(SocketHandleTest, PortRangeWithEveryPortBusyFails) {
  const std::uint16_t base = FreeRangeOfThree();
  std::vector<int> busy;
  for (int i = 0; i < 3; ++i)
    busy.push_back(test::ListenLoopback(static_cast<std::uint16_t>(base + i)));
  TNetSocketHandle handle;
  handle.AllocateSocket();
  handle.SetIP(u"127.0.0.1");
  handle.SetClientPortMin(base);
  handle.SetClientPortMax(static_cast<std::uint16_t>(base + 2));
  try {
    handle.Bind();
    ADD_FAILURE() << "bound";
  } catch (const ENetCanNotBindPortInRange& e) {
    EXPECT_EQ(e.Message(), u"Can not bind in port range (" + IntToText(base) + u" - " +
                               IntToText(base + 2) + u")");
  }
  for (int fd : busy)
    ::close(fd);
}

TEST(SocketHandleTest, InvertedPortRangeIsInvalid) {
  TNetSocketHandle handle;
  handle.AllocateSocket();
  handle.SetClientPortMin(6000);
  handle.SetClientPortMax(5000);
  try {
    handle.Bind();
    ADD_FAILURE() << "bound";
  } catch (const ENetInvalidPortRange& e) {
    EXPECT_EQ(e.Message(), u"Invalid Port Range (6000 - 5000)");
  }
}

TEST(SocketHandleTest, RefusedConnection) {
  TNetSocketHandle handle;
  handle.AllocateSocket();
  handle.SetPeer(u"127.0.0.1", UnusedPort());
  try {
    handle.Connect();
    FAIL() << "connected";
  } catch (const ENetSocketError& e) {
    EXPECT_EQ(e.LastError(), 10061);
    EXPECT_EQ(e.Message(), u"Socket Error # 10061\r\nConnection refused.");
  }
}

TEST(SocketHandleTest, ConnectReadsBackBothAddresses) {
  TLoopbackServer server([](TPeer& peer) { peer.WaitForClose(2000); });
  auto handle = ConnectTo(server.Port());
  EXPECT_EQ(handle->PeerIP(), u"127.0.0.1");
  EXPECT_EQ(handle->PeerPort(), server.Port());
  EXPECT_EQ(handle->IP(), u"127.0.0.1");
  EXPECT_NE(handle->Port(), 0);
}

TEST(SocketHandleTest, ReadableZeroReturnsAtOnceAndMinusOneWaitsForData) {
  TLoopbackServer server([](TPeer& peer) {
    peer.Pause(200);
    peer.Send("hello");
    peer.WaitForClose(2000);
  });
  auto handle = ConnectTo(server.Port());
  const std::uint64_t start = TickCount();
  EXPECT_FALSE(handle->Readable(0));
  EXPECT_LT(TickCount() - start, 100u);
  EXPECT_TRUE(handle->Readable(-1));
  TBytes buffer(100);
  EXPECT_EQ(handle->Receive(buffer), 5);
}

TEST(SocketHandleTest, PeerCloseIsReadableAndReceivesZero) {
  TLoopbackServer server([](TPeer&) {});
  auto handle = ConnectTo(server.Port());
  EXPECT_TRUE(handle->Readable(-1));
  TBytes buffer(100);
  EXPECT_EQ(handle->Receive(buffer), 0);
}

TEST(SocketHandleTest, ResetDuringReceiveIsError10054) {
  TLoopbackServer server([](TPeer& peer) {
    peer.Receive(1);
    peer.Reset();
  });
  auto handle = ConnectTo(server.Port());
  handle->Send(TBytes{'x'});
  ASSERT_TRUE(handle->Readable(-1));
  TBytes buffer(100);
  try {
    handle->Receive(buffer);
    FAIL() << "no error";
  } catch (const ENetSocketError& e) {
    EXPECT_EQ(e.LastError(), 10054);
    EXPECT_EQ(e.Message(), u"Socket Error # 10054\r\nConnection reset by peer.");
  }
}

TEST(SocketHandleTest, SendFromOffsetLimitedToSize) {
  std::string received;
  {
    TLoopbackServer server([&](TPeer& peer) { received = peer.Receive(3); });
    auto handle = ConnectTo(server.Port());
    const TBytes data{'a', 'b', 'c', 'd', 'e', 'f'};
    EXPECT_EQ(handle->Send(data, 2, 3), 3);
    handle->CloseSocket();
  }
  EXPECT_EQ(received, "cde");
}

TEST(SocketHandleTest, ClosedHandleIsClosedGracefully) {
  TLoopbackServer server([](TPeer& peer) { peer.WaitForClose(2000); });
  auto handle = ConnectTo(server.Port());
  handle->CloseSocket();
  EXPECT_FALSE(handle->HandleAllocated());
  handle->CloseSocket();  // nothing the second time
  try {
    handle->Readable(0);
    FAIL() << "no exception";
  } catch (const ENetConnClosedGracefully& e) {
    EXPECT_EQ(e.Message(), u"Connection Closed Gracefully.");
  }
}

TEST(SocketHandleTest, NagleIsSwitchedOnTheSocket) {
  TNetStackUsage usage;
  TNetSocketHandle handle;
  handle.AllocateSocket();
  handle.SetUseNagle(false);
  EXPECT_EQ(usage.Stack().GetSocketOption(handle.Handle(), Net_IPPROTO_TCP, Net_TCP_NODELAY), 1);
  handle.SetUseNagle(true);
  EXPECT_EQ(usage.Stack().GetSocketOption(handle.Handle(), Net_IPPROTO_TCP, Net_TCP_NODELAY), 0);
}

TEST(SocketHandleTest, IPVersionIsFixedWhileAllocated) {
  TNetSocketHandle handle;
  handle.SetIPVersion(Net_IPv6);
  handle.AllocateSocket();
  EXPECT_NO_THROW(handle.SetIPVersion(Net_IPv6));
  try {
    handle.SetIPVersion(Net_IPv4);
    FAIL();
  } catch (const ENetCannotSetIPVersionWhenConnected& e) {
    EXPECT_EQ(e.Message(), u"Cannot change IPVersion when connected");
  }
  handle.Reset();
  EXPECT_FALSE(handle.HandleAllocated());
  EXPECT_EQ(handle.IPVersion(), Net_IPv4);
}

TEST(SocketHandleTest, IPv6LoopbackConnect) {
  const test::TIPv6LoopbackListener listener;
  if (!listener.Listening())
    GTEST_SKIP() << "no IPv6 loopback";
  TNetSocketHandle handle;
  handle.SetIPVersion(Net_IPv6);
  handle.AllocateSocket();
  handle.SetPeer(u"::1", listener.Port(), Net_IPv6);
  handle.Connect();
  EXPECT_EQ(handle.PeerIP(), u"::1");
  EXPECT_EQ(handle.IPVersion(), Net_IPv6);
  handle.CloseSocket();
}

}  // namespace
}  // namespace vornel
