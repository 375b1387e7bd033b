// The TLS handler against real peers on loopback: openssl s_server and a scripted
// Python peer, with a test CA made at test time.
#include "transport/tls/ssl_io_handler.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "platform/memory_stream.h"
#include "platform/text.h"
#include "support/loopback_socket.h"
#include "support/peer_side.h"
#include "tls_test_support.h"
#include "transport/anti_freeze.h"
#include "transport/net_exceptions.h"
#include "transport/socket/socket_error.h"
#include "transport/tcp_client.h"
#include "transport/tls/openssl_binding.h"
#include "transport/tls/ssl_exceptions.h"

namespace vornel {
namespace {

using test::AnnouncedPort;
using test::PythonPeer;
using test::SServer;
using test::TPeerProcess;
using test::TTestPki;

class SSLIOHandler : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Pki = new TTestPki();
    // OpenSSL's default trust store is the test CA.
    test::SetEnvironment("SSL_CERT_FILE", Pki->CA());
    test::UnsetEnvironment("SSL_CERT_DIR");
  }
  static void TearDownTestSuite() {
    delete Pki;
    Pki = nullptr;
  }

  void SetUp() override {
    FHandler = std::make_unique<TNetSSLIOHandlerSocketOpenSSL>();
    FClient = std::make_unique<TNetTCPClientCustom>();
    FClient->SetIOHandler(FHandler.get());
    FHandler->OnStatusInfo = [this](const std::u16string& msg) { FStatus.push_back(msg); };
  }
  void TearDown() override {
    FClient.reset();
    FHandler.reset();
  }

  void Connect(const std::u16string& host, std::uint16_t port) {
    FClient->SetHost(host);
    FClient->SetPort(port);
    FClient->Connect();
  }

  std::string Version() const {
    return OpenSSLEntries().SSL_get_version(FHandler->SSLSocket()->Session());
  }

  static TTestPki* Pki;
  std::unique_ptr<TNetSSLIOHandlerSocketOpenSSL> FHandler;
  std::unique_ptr<TNetTCPClientCustom> FClient;
  std::vector<std::u16string> FStatus;
};

TTestPki* SSLIOHandler::Pki = nullptr;

bool StartsWith(const std::u16string& text, const std::u16string& prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

TEST_F(SSLIOHandler, DefaultOptionsNegotiateTls12Or13AndCarryData) {
  TPeerProcess server(SServer(*Pki, "server"));
  Connect(u"127.0.0.1", AnnouncedPort(server));
  EXPECT_TRUE(Version() == "TLSv1.3" || Version() == "TLSv1.2") << Version();
  EXPECT_FALSE(FHandler->PassThrough());
  ASSERT_FALSE(FStatus.empty());
  EXPECT_TRUE(StartsWith(FStatus.back(), u"Cipher: name = ")) << ToUtf8(FStatus.back());

  FHandler->Write(u"GET / HTTP/1.0\r\n\r\n");
  EXPECT_EQ(FHandler->ReadLn(), u"HTTP/1.0 200 ok");
}

TEST_F(SSLIOHandler, AServerOfferingOnlyTls10IsRefused) {
  TPeerProcess server(SServer(*Pki, "server", {"-tls1", "-cipher", "DEFAULT:@SECLEVEL=0"}));
  const std::uint16_t port = AnnouncedPort(server);
  try {
    Connect(u"127.0.0.1", port);
    FAIL() << "connected with " << Version();
  } catch (const ENetOSSLUnderlyingCryptoError& e) {
    EXPECT_TRUE(StartsWith(e.Message(), u"Error connecting with SSL.\r\n")) << e.what();
    EXPECT_GT(e.Message().size(), 28u);
  }
  EXPECT_FALSE(FClient->Connected());
  EXPECT_EQ(FHandler->SSLSocket(), nullptr);  // closed by the connection
  EXPECT_EQ(FHandler->SSLContext(), nullptr);
}

TEST_F(SSLIOHandler, TheServerNameIsTheHostOfURIToCheckElseHost) {
  const struct {
    std::u16string uri, host;
    std::string expected;
  } cases[] = {
      {u"https://sni.example:8443/download/set.zip?x=1", u"127.0.0.1", "sni.example"},
      {u"https://user@[::1]/", u"127.0.0.1", "::1"},
      {u"", u"localhost", "localhost"},
  };
  for (const auto& c : cases) {
    TPeerProcess peer(PythonPeer(*Pki, "sni"));
    const std::uint16_t port = AnnouncedPort(peer);
    FHandler->SetURIToCheck(c.uri);
    Connect(c.host, port);
    EXPECT_EQ(peer.WaitFor("SNI "), c.expected) << ToUtf8(c.uri);
    FClient->Disconnect();
  }
}

TEST_F(SSLIOHandler, VerificationIsOffWhenVerifyModeIsEmptyAndStrictWithPeer) {
  const struct {
    const char* cert;
    const char16_t* verifyText;  // null: accepted even when verified
  } cases[] = {
      {"server", nullptr},
      {"two-intermediates", nullptr},
      {"leaf-only", u"unable to get local issuer certificate"},
      {"expired", u"certificate has expired"},
      {"self-signed", u"self-signed certificate"},
      {"other-name", u"hostname mismatch"},
  };
  for (const auto& c : cases) {
    TPeerProcess server(SServer(*Pki, c.cert));
    const std::uint16_t port = AnnouncedPort(server);

    FHandler->SSLOptions().SetVerifyMode({});
    Connect(u"localhost", port);
    EXPECT_TRUE(FClient->Connected()) << c.cert;
    FClient->Disconnect();

    FHandler->SSLOptions().SetVerifyMode({sslvrfPeer});
    if (!c.verifyText) {
      EXPECT_NO_THROW(Connect(u"localhost", port)) << c.cert;
      FClient->Disconnect();
      continue;
    }
    try {
      Connect(u"localhost", port);
      ADD_FAILURE() << c.cert << " was accepted";
    } catch (const ENetOpenSSLError& e) {
      EXPECT_TRUE(StartsWith(e.Message(), u"Error connecting with SSL.\r\n")) << e.what();
      EXPECT_NE(e.Message().find(c.verifyText), std::u16string::npos) << e.what();
    }
    EXPECT_FALSE(FClient->Connected());
  }
}

// VerifyDepth 0 keeps OpenSSL's own limit; a positive depth is the number of
// intermediate CAs allowed.
TEST_F(SSLIOHandler, VerifyDepthZeroKeepsTheLibrarysLimitAndAPositiveOneApplies) {
  const struct {
    std::int32_t depth;
    const char* cert;
    bool accepted;
  } cases[] = {
      {0, "server", true},
      {0, "two-intermediates", true},
      {1, "server", true},
      {1, "two-intermediates", false},
      {2, "two-intermediates", true},
  };
  for (const auto& c : cases) {
    TPeerProcess server(SServer(*Pki, c.cert));
    const std::uint16_t port = AnnouncedPort(server);
    FHandler->SSLOptions().SetVerifyMode({sslvrfPeer});
    FHandler->SSLOptions().SetVerifyDepth(c.depth);
    const std::string name = std::string(c.cert) + " at depth " + std::to_string(c.depth);
    if (c.accepted) {
      EXPECT_NO_THROW(Connect(u"localhost", port)) << name;
    } else {
      try {
        Connect(u"localhost", port);
        ADD_FAILURE() << name << " was accepted";
      } catch (const ENetOpenSSLError& e) {
        EXPECT_NE(e.Message().find(u"certificate chain too long"), std::u16string::npos)
            << e.what();
      }
    }
    FClient->Disconnect();
  }
}

TEST_F(SSLIOHandler, AServerThatClosesDuringTheHandshakeViolatesTheProtocol) {
  TPeerProcess peer(PythonPeer(*Pki, "hangup"));
  const std::uint16_t port = AnnouncedPort(peer);
  try {
    Connect(u"127.0.0.1", port);
    FAIL() << "connected";
  } catch (const ENetOSSLConnectError& e) {
    EXPECT_EQ(e.Message(),
              u"Error connecting with SSL.\r\nEOF was observed that violates the protocol");
    EXPECT_EQ(e.ErrorCode(), SSL_ERROR_SYSCALL);
    EXPECT_EQ(e.RetCode(), 0);
  }
  EXPECT_FALSE(FClient->Connected());
}

TEST_F(SSLIOHandler, ACloseNotificationAndABareTcpCloseAreBothAnOrderlyEnd) {
  for (const char* mode : {"notify", "tcpclose"}) {
    TPeerProcess peer(PythonPeer(*Pki, mode));
    Connect(u"127.0.0.1", AnnouncedPort(peer));
    TMemoryStream body;
    FHandler->ReadStream(&body, -1, true);  // until the end, which must not raise
    EXPECT_EQ(std::string(body.Bytes().begin(), body.Bytes().end()), "hello") << mode;
    EXPECT_THROW(FHandler->ReadLn(), ENetConnClosedGracefully) << mode;
    FClient->Disconnect();
  }
}

TEST_F(SSLIOHandler, CloseSendsOneCloseNotificationWithoutWaitingForThePeers) {
  TPeerProcess peer(PythonPeer(*Pki, "expectclose"));
  Connect(u"127.0.0.1", AnnouncedPort(peer));
  FClient->Disconnect();  // the peer never answers with its own notification
  EXPECT_EQ(peer.ReadLine(20000).value_or("?"), "CLOSE_NOTIFY");
  EXPECT_EQ(peer.ReadLine(20000).value_or("?"), "AFTER 0");
}

TEST_F(SSLIOHandler, BytesAlreadyDecryptedAreConsumedWithoutWaiting) {
  constexpr int records = 400;
  TPeerProcess peer(PythonPeer(*Pki, "records", std::to_string(records)));
  const std::uint16_t port = AnnouncedPort(peer);
  // Receives smaller than a record leave decrypted bytes inside OpenSSL; a wait
  // on the socket alone would stall on the last record until the time-out.
  FHandler->SetRecvBufferSize(16);
  FClient->SetReadTimeout(5000);
  Connect(u"127.0.0.1", port);
  TBytes data;
  FHandler->ReadBytes(data, records * 25);
  ASSERT_EQ(data.size(), std::size_t(records * 25));
  for (int i = 0; i < records; ++i)
    ASSERT_EQ(data[std::size_t(i) * 25 + 24], 65 + i % 26) << i;
}

TEST_F(SSLIOHandler, APeerThatStopsInsideARecordTimesTheReceiveOut) {
  TPeerProcess peer(PythonPeer(*Pki, "stall"));
  const std::uint16_t port = AnnouncedPort(peer);
  FClient->SetReadTimeout(1000);  // also the socket's time-out inside a record
  Connect(u"127.0.0.1", port);
  ASSERT_EQ(peer.WaitFor("STALLED"), "");
  TBytes data;
  try {
    FHandler->ReadBytes(data, 1000);
    FAIL() << "read " << data.size() << " bytes";
  } catch (const ENetReadTimeout& e) {
    EXPECT_EQ(e.Message(), u"Read timed out.");
  }
}

TEST_F(SSLIOHandler, ClearingPassThroughStartsTlsOnALiveConnection) {
  TPeerProcess server(SServer(*Pki, "server"));
  const std::uint16_t port = AnnouncedPort(server);
  FHandler->SetPassThrough(true);
  Connect(u"127.0.0.1", port);
  EXPECT_EQ(FHandler->SSLSocket(), nullptr);  // plain TCP so far
  FHandler->SetPassThrough(false);
  ASSERT_NE(FHandler->SSLSocket(), nullptr);
  FHandler->Write(u"GET / HTTP/1.0\r\n\r\n");
  EXPECT_EQ(FHandler->ReadLn(), u"HTTP/1.0 200 ok");
}

TEST_F(SSLIOHandler, Tls10MethodStillBuildsATls10Context) {
  TPeerProcess server(SServer(*Pki, "server", {"-tls1", "-cipher", "DEFAULT:@SECLEVEL=0"}));
  const std::uint16_t port = AnnouncedPort(server);
  FHandler->SSLOptions().SetMethod(sslvTLSv1);
  const TNetOpenSSLEntries* e = nullptr;
  FHandler->OnBeforeConnect = [&](TNetComponent&) { e = &OpenSSLEntries(); };
  try {
    Connect(u"127.0.0.1", port);  // whatever this OpenSSL allows at its security level
    EXPECT_EQ(Version(), "TLSv1");
    EXPECT_EQ(e->SSL_CTX_get_ssl_method(FHandler->SSLContext()->Context()),
              e->TLSv1_client_method());
  } catch (const ENetOpenSSLError& x) {
    EXPECT_TRUE(StartsWith(x.Message(), u"Error connecting with SSL.\r\n")) << x.what();
  }
  EXPECT_NE(e, nullptr);  // OnBeforeConnect fired between the TCP connect and TLS
}

// A listener that accepts into its queue and never says a word: the TCP
// connect succeeds and the handshake waits for the server's hello.
class TSilentListener {
 public:
  TSilentListener() : FFd(test::loopback::Listen(4)) {
    if (FFd < 0)
      throw std::runtime_error("listener");
    FPort = test::loopback::LocalPort(FFd);
  }
  ~TSilentListener() { test::loopback::Close(FFd); }
  TSilentListener(const TSilentListener&) = delete;
  TSilentListener& operator=(const TSilentListener&) = delete;
  std::uint16_t Port() const { return FPort; }

 private:
  int FFd;
  std::uint16_t FPort = 0;
};

class TIdleHook : public TNetAntiFreezeBase {
 public:
  std::function<void()> OnProcess;
  int Calls = 0;
  void Process() override {
    ++Calls;
    if (OnProcess)
      OnProcess();
  }
};

// With the idle hook, the handshake's waits are sliced like every other wait:
// the hook runs while the server is silent and may end the connection.
TEST_F(SSLIOHandler, WithTheIdleHookTheHandshakeWaitsInSlicesTheHookCanEnd) {
  TIdleHook hook;
  hook.SetIdleTimeOut(20);
  hook.SetOnlyWhenIdle(false);

  {
    SCOPED_TRACE("a server that answers");
    TPeerProcess server(SServer(*Pki, "server"));
    Connect(u"127.0.0.1", AnnouncedPort(server));
    ASSERT_FALSE(FStatus.empty());
    EXPECT_TRUE(StartsWith(FStatus.back(), u"Cipher: name = "));
    FHandler->Write(u"GET / HTTP/1.0\r\n\r\n");
    EXPECT_EQ(FHandler->ReadLn(), u"HTTP/1.0 200 ok");
  }
  TearDown();  // a fresh client for each case
  SetUp();
  {
    SCOPED_TRACE("the hook disconnects during the handshake");
    TSilentListener silent;
    hook.Calls = 0;
    hook.OnProcess = [&] {
      if (hook.Calls == 5)
        FClient->Disconnect();
    };
    const auto start = std::chrono::steady_clock::now();
    EXPECT_THROW(Connect(u"127.0.0.1", silent.Port()), ENetConnClosedGracefully);
    EXPECT_EQ(hook.Calls, 5);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_FALSE(FClient->Connected());
    EXPECT_EQ(FHandler->SSLSocket(), nullptr);
  }
  {
    SCOPED_TRACE("a silent server times the handshake out as without the hook");
    hook.OnProcess = nullptr;
    FClient->SetReadTimeout(300);
    std::u16string sliced, blocking;
    for (std::u16string* message : {&sliced, &blocking}) {
      TSilentListener silent;
      hook.SetActive(message == &sliced);
      try {
        Connect(u"127.0.0.1", silent.Port());
        ADD_FAILURE() << "connected";
      } catch (const Exception& e) {
        *message = e.Message();
      }
      EXPECT_FALSE(FClient->Connected());
    }
    EXPECT_EQ(sliced, u"Socket Error # 10060\r\nConnection timed out.") << ToUtf8(sliced);
    EXPECT_EQ(sliced, blocking);
  }
  {
    SCOPED_TRACE("a server that hangs up");
    hook.SetActive(true);
    TPeerProcess peer(PythonPeer(*Pki, "hangup"));
    try {
      Connect(u"127.0.0.1", AnnouncedPort(peer));
      ADD_FAILURE() << "connected";
    } catch (const ENetOSSLConnectError& e) {
      EXPECT_EQ(e.Message(),
                u"Error connecting with SSL.\r\nEOF was observed that violates the protocol");
    }
  }
}

}  // namespace
}  // namespace vornel
