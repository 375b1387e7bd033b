// The HTTP client against nginx on loopback, a real and independent server.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "http/custom_http.h"
#include "nginx_server.h"
#include "platform/file_stream.h"
#include "platform/memory_stream.h"
#include "transport/tls/ssl_io_handler.h"

namespace vornel {
namespace {

std::string Text(const TMemoryStream& s) {
  return std::string(s.Bytes().begin(), s.Bytes().end());
}

class Nginx : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Server.Running())
      GTEST_SKIP() << "nginx is not available";
  }
  test::TNginxServer Server{true};
};

TEST_F(Nginx, TwoGetsOnOneKeptAliveConnection) {
  Server.WriteFile("files/small.txt", "small file\n");
  Server.WriteFile("files/other.txt", "other file\n");
  TNetHTTP http;
  TMemoryStream body;
  http.Get(Server.Url("/files/small.txt"), body);
  http.Get(Server.Url("/files/other.txt"), body);
  EXPECT_EQ(Text(body), "small file\nother file\n");
  http.Disconnect();
  const auto log = Server.AccessLog(2);
  ASSERT_EQ(log.size(), 2u);
  // The connection serial numbers agree: one TCP connection served both.
  EXPECT_EQ(log[0].substr(0, log[0].find(' ')), log[1].substr(0, log[1].find(' ')));
}

TEST_F(Nginx, NotFoundPage) {
  TNetHTTP http;
  TMemoryStream body;
  try {
    http.Get(Server.Url("/files/missing.zip"), body);
    FAIL();
  } catch (const ENetHTTPProtocolException& e) {
    EXPECT_EQ(e.ErrorCode(), 404);
    EXPECT_EQ(e.Message(), u"HTTP/1.1 404 Not Found");
    EXPECT_NE(e.ErrorMessage().find(u"404 Not Found"), std::u16string::npos);
  }
  EXPECT_EQ(body.Size(), 0);
}

TEST_F(Nginx, MovedPermanentlyFollowedOnlyWhenAsked) {
  Server.WriteFile("files/small.txt", "small file\n");
  TNetHTTP http;
  TMemoryStream body;
  try {
    http.Get(Server.Url("/old"), body);
    FAIL();
  } catch (const ENetHTTPProtocolException& e) {
    EXPECT_EQ(e.ErrorCode(), 301);
  }
  http.HandleRedirects = true;
  http.Get(Server.Url("/old"), body);
  EXPECT_EQ(Text(body), "small file\n");
  EXPECT_EQ(http.RedirectCount, 1);
}

TEST_F(Nginx, GzipBodyDecodedByTheCompressor) {
  std::string text;
  for (int i = 0; i < 5000; ++i)
    text += "compressible line " + std::to_string(i) + "\n";
  Server.WriteFile("gz/text.txt", text);
  TNetHTTP http;
  TNetCompressorZLib zlib;
  http.Compressor = &zlib;
  TMemoryStream body;
  http.Get(Server.Url("/gz/text.txt"), body);
  EXPECT_EQ(http.Response().ContentEncoding, u"gzip");
  EXPECT_EQ(http.Request().AcceptEncoding, u"deflate, gzip, identity");
  EXPECT_EQ(Text(body), text);

  // Without a compressor the body is stored as it came.
  TNetHTTP plain;
  TMemoryStream raw;
  plain.Get(Server.Url("/gz/text.txt"), raw);
  EXPECT_EQ(plain.Response().ContentEncoding, u"");
  EXPECT_EQ(Text(raw), text);
}

TEST_F(Nginx, LargeFileIntoAFileStream) {
  std::string chunk(1 << 20, '\0');
  for (std::size_t i = 0; i < chunk.size(); ++i)
    chunk[i] = static_cast<char>(i * 131 + i / 7);
  {
    std::ofstream out(Server.Root() + "/big.zip", std::ios::binary);
    for (int i = 0; i < 64; ++i) {
      chunk[0] = static_cast<char>(i);
      out << chunk;
    }
  }
  const std::string target = Server.Folder() + "/download.zip";
  TNetHTTP http;
  // The server's certificate is verified against the test CA.
  auto tls = std::make_unique<TNetSSLIOHandlerSocketOpenSSL>();
  const std::string ca = Server.CAFile();
  tls->SSLOptions().SetRootCertFile(std::u16string(ca.begin(), ca.end()));
  tls->SSLOptions().SetVerifyMode({sslvrfPeer});
  http.SetIOHandler(std::move(tls));
  std::int64_t announced = -1;
  http.OnWorkBegin = [&](TNetComponent&, TWorkMode, std::int64_t max) { announced = max; };
  {
    TFileStream file(std::u16string(target.begin(), target.end()), fmCreate);
    http.Get(Server.TLSUrl("/big.zip"), file);
  }
  EXPECT_EQ(announced, 64 << 20);
  std::ifstream a(Server.Root() + "/big.zip", std::ios::binary), b(target, std::ios::binary);
  std::stringstream sa, sb;
  sa << a.rdbuf();
  sb << b.rdbuf();
  EXPECT_TRUE(sa.str() == sb.str());
  EXPECT_EQ(sb.str().size(), std::size_t{64} << 20);
}

TEST_F(Nginx, HttpsWithTheDefaultHandlerAndAKeptAliveConnection) {
  Server.WriteFile("files/a.txt", "first\n");
  Server.WriteFile("files/b.txt", "second\n");
  TNetHTTP http;
  TMemoryStream body;
  http.Get(Server.TLSUrl("/files/a.txt"), body);
  ASSERT_NE(dynamic_cast<TNetSSLIOHandlerSocketBase*>(http.IOHandler()), nullptr);
  EXPECT_EQ(http.Request().UseProxy, ctSSL);
  http.Get(Server.TLSUrl("/files/b.txt"), body);
  EXPECT_EQ(Text(body), "first\nsecond\n");
  http.Disconnect();
  const auto log = Server.AccessLog(2);
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].substr(0, log[0].find(' ')), log[1].substr(0, log[1].find(' ')));
}

// The certificate shapes servers present, each against nginx with the verifying
// handler at its defaults (VerifyDepth 0).
TEST(NginxCertificates, RealisticChainsAreVerifiedAndFaultyOnesRefusedWithOpenSSLsText) {
  const struct {
    const char* certificate;
    bool stranger;            // trust only a CA that signed nothing here
    const char16_t* refusal;  // null: accepted
  } cases[] = {
      {"server", false, nullptr},
      {"two-intermediates", false, nullptr},
      {"leaf-only", false, u"unable to get local issuer certificate"},
      {"self-signed", false, u"self-signed certificate"},
      {"expired", false, u"certificate has expired"},
      {"other-name", false, u"IP address mismatch"},  // the URL names 127.0.0.1
      {"server", true, u"unable to get local issuer certificate"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.certificate) + (c.stranger ? ", unknown CA" : ""));
    test::TNginxServer server(true, std::nullopt, c.certificate);
    if (!server.Running())
      GTEST_SKIP() << "nginx is not available";
    server.WriteFile("files/a.txt", "chain\n");
    TNetHTTP http;
    auto tls = std::make_unique<TNetSSLIOHandlerSocketOpenSSL>();
    const std::string ca = c.stranger ? test::TNginxServer::StrangerCAFile() : server.CAFile();
    ASSERT_FALSE(ca.empty());
    tls->SSLOptions().SetRootCertFile(std::u16string(ca.begin(), ca.end()));
    tls->SSLOptions().SetVerifyDirs(u"/nonexistent");
    tls->SSLOptions().SetVerifyMode({sslvrfPeer});
    http.SetIOHandler(std::move(tls));
    TMemoryStream body;
    if (!c.refusal) {
      EXPECT_NO_THROW(http.Get(server.TLSUrl("/files/a.txt"), body));
      EXPECT_EQ(Text(body), "chain\n");
      continue;
    }
    try {
      http.Get(server.TLSUrl("/files/a.txt"), body);
      ADD_FAILURE() << "accepted";
    } catch (const ENetException& e) {
      EXPECT_NE(e.Message().find(u"certificate verify failed"), std::u16string::npos) << e.what();
      EXPECT_NE(e.Message().find(c.refusal), std::u16string::npos) << e.what();
    }
    EXPECT_FALSE(http.Connected());
    EXPECT_EQ(body.Size(), 0);
  }
}

TEST_F(Nginx, UntrustedCertificateFailsWhenVerifying) {
  TNetHTTP http;
  auto tls = std::make_unique<TNetSSLIOHandlerSocketOpenSSL>();
  tls->SSLOptions().SetVerifyMode({sslvrfPeer});
  tls->SSLOptions().SetVerifyDirs(u"/nonexistent");
  http.SetIOHandler(std::move(tls));
  TMemoryStream body;
  EXPECT_THROW(http.Get(Server.TLSUrl("/files/a.txt"), body), ENetException);
  EXPECT_FALSE(http.Connected());
}

}  // namespace
}  // namespace vornel
