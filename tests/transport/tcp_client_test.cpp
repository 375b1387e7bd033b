#include "transport/tcp_client.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include <memory>
#include <string>
#include <vector>

#include "transport/io_handler_registry.h"
#include "transport/io_handler_stack.h"
#include "transport/net_exceptions.h"
#include "transport/socket/socket_error.h"
#include "transport/support/connected_client.h"

namespace vornel {
namespace {

using test::TLoopbackServer;
using test::TPeer;

std::uint16_t UnusedPort() {
  const int fd = test::ListenLoopback();
  const std::uint16_t port = test::LocalPort(fd);
  test::CloseFd(fd);
  return port;
}

// Tells when a watched component is destroyed.
class TWatcher : public TNetComponent {
 public:
  void Watch(TNetComponent& component) { FreeNotification(component); }
  std::vector<TNetComponent*> Gone;

 protected:
  void Notification(TNetComponent& component) override { Gone.push_back(&component); }
};

TEST(TcpClientTest, MissingHostOrPortIsRefusedBeforeAnySocketExists) {
  struct Case {
    std::u16string host;
    std::uint16_t port;
    const char16_t* message;
  } cases[] = {
      {u"", 80, u"A Host is required"},
      {u"127.0.0.1", 0, u"A Port is required"},
  };
  for (const Case& c : cases) {
    TNetTCPClientCustom client;
    client.SetHost(c.host);
    client.SetPort(c.port);
    try {
      client.Connect();
      ADD_FAILURE() << "connected";
    } catch (const ENetException& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
    EXPECT_EQ(client.IOHandler(), nullptr);
  }
}

TEST(TcpClientTest, FailedConnectThenSuccessfulOne) {
  TLoopbackServer server([](TPeer& peer) {
    peer.Send("hi\n");
    peer.WaitForClose(5000);
  });
  TNetTCPClientCustom client;
  client.SetHost(u"127.0.0.1");
  client.SetPort(UnusedPort());
  try {
    client.Connect();
    FAIL() << "connected";
  } catch (const ENetSocketError& e) {
    EXPECT_EQ(e.LastError(), 10061);
    EXPECT_EQ(e.Message(), u"Socket Error # 10061\r\nConnection refused.");
  }
  EXPECT_FALSE(client.Connected());
  EXPECT_EQ(client.IOHandler(), nullptr);  // the owned handler went with the failure
  client.SetPort(server.Port());
  client.Connect();
  EXPECT_TRUE(client.Connected());
  EXPECT_EQ(client.IOHandler()->ReadLn(), u"hi");
}

// A handler handed over with its ownership is the caller's configuration: a
// failed connect keeps it, so the next connect goes through it again.
TEST(TcpClientTest, AHandedOverHandlerSurvivesAFailedConnect) {
  TLoopbackServer server([](TPeer& peer) {
    peer.Send("hi\n");
    peer.WaitForClose(5000);
  });
  TNetTCPClientCustom client;
  auto handler = std::make_unique<TNetIOHandlerStack>();
  TNetIOHandler* mine = handler.get();
  client.SetIOHandler(std::move(handler));
  client.SetHost(u"127.0.0.1");
  client.SetPort(UnusedPort());
  EXPECT_THROW(client.Connect(), ENetSocketError);
  EXPECT_EQ(client.IOHandler(), mine);
  EXPECT_TRUE(client.ManagedIOHandler());
  client.SetPort(server.Port());
  client.Connect();
  EXPECT_EQ(client.IOHandler(), mine);
  EXPECT_EQ(client.IOHandler()->ReadLn(), u"hi");
}

TEST(TcpClientTest, AlreadyConnected) {
  TLoopbackServer server([](TPeer& peer) { peer.WaitForClose(5000); });
  TNetTCPClientCustom client;
  client.Connect(u"127.0.0.1", server.Port());
  try {
    client.Connect();
    FAIL();
  } catch (const ENetAlreadyConnected& e) {
    EXPECT_EQ(e.Message(), u"Already connected.");
  }
}

TEST(TcpClientTest, DefaultHandlerIsOwnedAndFreedWhenReplaced) {
  TLoopbackServer server([](TPeer& peer) { peer.WaitForClose(5000); });
  TNetTCPClientCustom client;
  client.Connect(u"127.0.0.1", server.Port());
  TNetIOHandler* made = client.IOHandler();
  ASSERT_NE(dynamic_cast<TNetIOHandlerStack*>(made), nullptr);
  EXPECT_TRUE(client.ManagedIOHandler());
  EXPECT_EQ(client.Socket(), made);
  EXPECT_EQ(made->WorkTarget(), &client);
  TWatcher watcher;
  watcher.Watch(*made);
  client.Disconnect();
  TNetIOHandlerStack mine;
  client.SetIOHandler(&mine);
  EXPECT_EQ(watcher.Gone, (std::vector<TNetComponent*>{made}));
  EXPECT_FALSE(client.ManagedIOHandler());
  EXPECT_EQ(mine.WorkTarget(), &client);
}

TEST(TcpClientTest, SettingsAreCopiedIntoTheHandler) {
  TNetTCPClientCustom client;
  client.SetHost(u"127.0.0.1");
  client.SetPort(4321);
  client.SetReadTimeout(777);
  client.SetConnectTimeout(888);
  client.SetUseNagle(false);
  client.SetBoundIP(u"127.0.0.1");
  TNetIOHandlerStack handler;
  client.SetIOHandler(&handler);
  EXPECT_EQ(handler.Host(), u"127.0.0.1");
  EXPECT_EQ(handler.Port(), 4321);
  EXPECT_EQ(handler.ReadTimeout(), 777);
  EXPECT_EQ(handler.ConnectTimeout(), 888);
  EXPECT_FALSE(handler.UseNagle());
  EXPECT_EQ(handler.BoundIP(), u"127.0.0.1");
  // Setters keep writing through.
  client.SetReadTimeout(5);
  client.SetHost(u"localhost");
  EXPECT_EQ(handler.ReadTimeout(), 5);
  EXPECT_EQ(handler.Host(), u"localhost");
  client.SetIOHandler(nullptr);
  EXPECT_EQ(handler.WorkTarget(), nullptr);
}

TEST(TcpClientTest, HandlerDestroyedElsewhereIsForgotten) {
  TNetTCPClientCustom client;
  auto handler = std::make_unique<TNetIOHandlerStack>();
  client.SetIOHandler(handler.get());
  EXPECT_EQ(client.Socket(), handler.get());
  handler.reset();
  EXPECT_EQ(client.IOHandler(), nullptr);
  EXPECT_EQ(client.Socket(), nullptr);
  EXPECT_FALSE(client.Connected());
}

TEST(TcpClientTest, DisconnectTwiceAndWithoutConnection) {
  TNetTCPClientCustom never;
  EXPECT_NO_THROW(never.Disconnect());
  TLoopbackServer server([](TPeer& peer) { peer.WaitForClose(5000); });
  TNetTCPClientCustom client;
  int disconnected = 0;
  client.OnDisconnected = [&](TNetComponent&) { ++disconnected; };
  client.Connect(u"127.0.0.1", server.Port());
  client.Disconnect();
  client.Disconnect();
  EXPECT_EQ(disconnected, 1);
  EXPECT_FALSE(client.Connected());
}

TEST(TcpClientTest, StatusEventsOfAConnection) {
  TLoopbackServer server([](TPeer& peer) { peer.WaitForClose(5000); });
  TNetTCPClientCustom client;
  std::vector<std::u16string> texts;
  client.OnStatus = [&](TNetComponent&, TNetStatus, const std::u16string& text) {
    texts.push_back(text);
  };
  int connected = 0;
  client.OnConnected = [&](TNetComponent&) { ++connected; };
  client.Connect(u"LocalHost", server.Port());
  client.Disconnect();
  EXPECT_EQ(texts, (std::vector<std::u16string>{u"Resolving hostname LocalHost.",
                                                u"Connecting to 127.0.0.1.", u"Connected.",
                                                u"Disconnecting.", u"Disconnected."}));
  EXPECT_EQ(connected, 1);
}

TEST(TcpClientTest, UnreadBytesKeepTheConnectionAliveAfterThePeerClosed) {
  TLoopbackServer server([](TPeer& peer) { peer.Send("last words\n"); });
  TNetTCPClientCustom client;
  client.Connect(u"127.0.0.1", server.Port());
  TPeer::Pause(200);  // the bytes and the end arrive
  EXPECT_TRUE(client.Connected());
  EXPECT_EQ(client.IOHandler()->ReadLn(), u"last words");
  EXPECT_FALSE(client.Connected());
  EXPECT_THROW(client.CheckForGracefulDisconnect(), ENetConnClosedGracefully);
  EXPECT_NO_THROW(client.CheckForGracefulDisconnect(false));
}

TEST(TcpClientTest, ResetWhileNobodyReadsEndsTheConnectionQuietly) {
  TLoopbackServer server([](TPeer& peer) {
    peer.Receive(1);
    peer.Reset();
  });
  TNetTCPClientCustom client;
  client.Connect(u"127.0.0.1", server.Port());
  client.IOHandler()->Write(TBytes{'!'});
  TPeer::Pause(200);  // the reset arrives
  EXPECT_FALSE(client.Connected());
  EXPECT_NO_THROW(client.Disconnect());
  // The connection can be made again.
  client.Connect();
  EXPECT_TRUE(client.Connected());
}

TEST(TcpClientTest, BindEventsAndBoundPortRange) {
  TLoopbackServer server([](TPeer& peer) { peer.WaitForClose(5000); });
  TNetTCPClientCustom client;
  std::vector<std::string> order;
  client.OnBeforeBind = [&](TNetComponent&) { order.push_back("before"); };
  client.OnSocketAllocated = [&](TNetComponent&) { order.push_back("allocated"); };
  client.OnAfterBind = [&](TNetComponent&) { order.push_back("after"); };
  client.SetBoundIP(u"127.0.0.1");
  client.Connect(u"127.0.0.1", server.Port());
  EXPECT_EQ(order, (std::vector<std::string>{"before", "allocated", "after"}));
  TNetSocketHandle* binding = client.Socket()->Binding();
  EXPECT_EQ(binding->IP(), u"127.0.0.1");
  EXPECT_EQ(binding->PeerPort(), server.Port());
}

TEST(TcpClientTest, IPv6Literal) {
  const test::TIPv6LoopbackListener listener;
  if (!listener.Listening())
    GTEST_SKIP() << "no IPv6 loopback";
  TNetTCPClientCustom client;
  client.SetIPVersion(Net_IPv6);
  std::vector<std::u16string> texts;
  client.OnStatus = [&](TNetComponent&, TNetStatus, const std::u16string& text) {
    texts.push_back(text);
  };
  client.Connect(u"0:0::1", listener.Port());
  EXPECT_EQ(client.Socket()->Binding()->PeerIP(), u"::1");
  // A literal needs no resolving.
  EXPECT_EQ(texts.front(), u"Connecting to ::1.");
  client.Disconnect();
}

TEST(TcpClientTest, ReopeningAHandlerClosesItsEarlierSocket) {
  TLoopbackServer server([](TPeer& peer) { peer.WaitForClose(5000); });
  TNetIOHandlerStack handler;
  handler.SetHost(u"127.0.0.1");
  handler.SetPort(server.Port());
  handler.Open();
  const std::string first = test::SocketIdentity(static_cast<int>(handler.Binding()->Handle()));
  ASSERT_FALSE(first.empty());
  handler.Open();
  EXPECT_FALSE(test::SocketStillOpen(first));
  EXPECT_TRUE(handler.Connected());
  handler.Close();
  EXPECT_FALSE(handler.Connected());
}

TEST(TcpClientTest, CheckForGracefulDisconnectWithoutHandler) {
  TNetTCPClientCustom client;
  try {
    client.CheckForGracefulDisconnect();
    FAIL();
  } catch (const ENetException& e) {
    EXPECT_EQ(e.Message(), u"Not Connected");
  }
  EXPECT_NO_THROW(client.CheckForGracefulDisconnect(false));
}

TEST(TcpClientTest, ConnectTimeoutAgainstAListenerThatNeverAnswers) {
  test::TFullBacklogListener listener;
  TNetTCPClientCustom client;
  client.SetConnectTimeout(300);
  try {
    client.Connect(u"127.0.0.1", listener.Port());
    FAIL() << "connected";
  } catch (const ENetConnectTimeout& e) {
    EXPECT_EQ(e.Message(), u"Connect timed out.");
  }
  EXPECT_FALSE(client.Connected());
  EXPECT_EQ(client.IOHandler(), nullptr);
}

TEST(TcpClientTest, TimedConnectThatSucceedsOrIsRefused) {
  TLoopbackServer server([](TPeer& peer) {
    peer.Send("ok\n");
    peer.WaitForClose(5000);
  });
  TNetTCPClientCustom client;
  client.SetConnectTimeout(5000);
  client.Connect(u"127.0.0.1", server.Port());
  EXPECT_EQ(client.IOHandler()->ReadLn(), u"ok");
  client.Disconnect();
  client.SetPort(UnusedPort());
  try {
    client.Connect();
    FAIL();
  } catch (const ENetSocketError& e) {
    EXPECT_EQ(e.LastError(), 10061);
  }
}

TEST(TcpClientTest, HandlerRegistry) {
  auto made = TNetIOHandlerRegistry::TryMakeIOHandler<TNetIOHandlerSocket>();
  EXPECT_NE(dynamic_cast<TNetIOHandlerStack*>(made.get()), nullptr);
  struct TOther : TNetIOHandlerStack {};
  EXPECT_EQ(TNetIOHandlerRegistry::TryMakeIOHandler<TOther>(), nullptr);
  try {
    TNetIOHandlerRegistry::MakeIOHandler<TOther>(u"TOther");
    FAIL();
  } catch (const ENetException& e) {
    EXPECT_EQ(e.Message(), u"No IOHandler of type TOther is installed.");
  }
  TNetIOHandlerRegistry::RegisterIOHandler(NetIOHandlerClassOf<TOther>(u"TOther"));
  EXPECT_NE(TNetIOHandlerRegistry::TryMakeIOHandler<TOther>(), nullptr);
}

}  // namespace
}  // namespace vornel
