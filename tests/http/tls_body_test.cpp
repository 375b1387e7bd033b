// Bodies over TLS against a scripted HTTPS peer: how the end of the connection
// counts when a body is still owed, and a cancel that stays quiet.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>

#include "http/custom_http.h"
#include "platform/memory_stream.h"
#include "support/peer_side.h"
#include "tls_test_support.h"
#include "transport/net_exceptions.h"
#include "transport/tls/ssl_io_handler.h"

namespace vornel {
namespace {

using test::AnnouncedPort;
using test::TPeerProcess;
using test::TTestPki;

std::string Text(const TMemoryStream& s) {
  return std::string(s.Bytes().begin(), s.Bytes().end());
}

class TlsBody : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Pki = new TTestPki();
    test::SetEnvironment("SSL_CERT_FILE", Pki->CA());
    test::UnsetEnvironment("SSL_CERT_DIR");
  }
  static void TearDownTestSuite() {
    delete Pki;
    Pki = nullptr;
  }

  TlsBody() {
    auto tls = std::make_unique<TNetSSLIOHandlerSocketOpenSSL>();
    tls->SSLOptions().SetVerifyMode({sslvrfPeer});
    Http.SetIOHandler(std::move(tls));
  }

  // A peer that answers one request with reply and ends the connection as end
  // says ("notify" or "tcpclose").
  std::unique_ptr<TPeerProcess> Peer(const std::string& reply, const std::string& end) {
    std::ofstream(Folder.Local() + "/reply", std::ios::binary) << reply;
    auto peer = std::make_unique<TPeerProcess>(std::vector<std::string>{
        "python3", VORNEL_HTTP_TEST_DIR "/tls_reply_server.py", Pki->Cert("server"),
        Pki->Key("server"), Folder.Peer() + "/reply", end});
    Port = AnnouncedPort(*peer);
    return peer;
  }
  std::u16string Url() const {
    const std::string url = "https://localhost:" + std::to_string(Port) + "/set.zip";
    return {url.begin(), url.end()};
  }

  static TTestPki* Pki;
  test::TPeerFolder Folder{"tls-body"};
  TNetHTTP Http;
  std::uint16_t Port = 0;
};

TTestPki* TlsBody::Pki = nullptr;

TEST_F(TlsBody, AnEndBeforeTheBodyIsCompleteRaisesWithOrWithoutCloseNotification) {
  const std::string counted =
      "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n" + std::string(100, 'x');
  const std::string chunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n";
  const std::string untilClose =
      "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + std::string(300, 'u');
  const struct {
    const char* name;
    const std::string& reply;
    const char* end;
    const char16_t* message;  // null: complete
    std::size_t kept;
  } cases[] = {
      {"counted", counted, "notify", u"The connection closed after 100 of 1000 bytes of the body.",
       100},
      {"counted", counted, "tcpclose",
       u"The connection closed after 100 of 1000 bytes of the body.", 100},
      {"chunked", chunked, "tcpclose",
       u"The connection closed before the last chunk of the body, after 5 bytes in complete "
       u"chunks.",
       5},
      // Only the end delimits this body: the close notification vouches for it.
      {"until close", untilClose, "notify", nullptr, 300},
      {"until close", untilClose, "tcpclose",
       u"The connection ended without a TLS close notification after 300 bytes of the body; it "
       u"may be incomplete.",
       300},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.name) + ", " + c.end);
    const auto peer = Peer(c.reply, c.end);
    TMemoryStream body;
    if (c.message) {
      try {
        Http.Get(Url(), body);
        ADD_FAILURE() << "returned normally";
      } catch (const ENetConnClosedGracefully& e) {
        EXPECT_EQ(e.Message(), c.message);
      }
    } else {
      EXPECT_NO_THROW(Http.Get(Url(), body));
    }
    EXPECT_EQ(body.Size(), static_cast<std::int64_t>(c.kept));
    EXPECT_FALSE(Http.Connected());
  }
}

TEST_F(TlsBody, ACompleteCountedBodyNeedsNoCloseNotification) {
  const auto peer = Peer("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello", "tcpclose");
  TMemoryStream body;
  Http.Get(Url(), body);
  EXPECT_EQ(Text(body), "hello");
}

TEST_F(TlsBody, ACancelDuringACountedBodyStaysQuiet) {
  const std::string big(8 << 20, 'c');
  const auto peer =
      Peer("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(big.size()) + "\r\n\r\n" + big,
           "notify");
  bool ended = false;
  Http.OnWork = [this](TNetComponent&, TWorkMode, std::int64_t count) {
    if (count > 100000)
      Http.Disconnect();
  };
  Http.OnWorkEnd = [&](TNetComponent&, TWorkMode) { ended = true; };
  TMemoryStream body;
  EXPECT_NO_THROW(Http.Get(Url(), body));
  EXPECT_GT(body.Size(), 100000);
  EXPECT_LT(body.Size(), static_cast<std::int64_t>(big.size()));
  EXPECT_TRUE(ended);
  EXPECT_FALSE(Http.Connected());
}

}  // namespace
}  // namespace vornel
