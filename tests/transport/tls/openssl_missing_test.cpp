// The binding without usable libraries. This program runs in a process of its
// own, because the binding loads once per process.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include "platform/text.h"
#include "transport/tcp_client.h"
#include "transport/tls/openssl_binding.h"
#include "transport/tls/ssl_exceptions.h"
#include "transport/tls/ssl_io_handler.h"

namespace vornel {
namespace {

bool Has(const std::vector<std::u16string>& list, const std::u16string& text) {
  return std::find(list.begin(), list.end(), text) != list.end();
}

class OpenSSLMissing : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vornel-no-openssl-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    FEmptyDir = pattern;
  }
  void TearDown() override {
    GNetOpenSSLPath.clear();
    ::rmdir(FEmptyDir.c_str());
  }
  std::string FEmptyDir;
};

TEST_F(OpenSSLMissing, AnEmptyFolderFailsWithTheCryptoLibraryName) {
  GNetOpenSSLPath = FromUtf8(FEmptyDir);
  EXPECT_FALSE(LoadOpenSSLLibrary());
  EXPECT_FALSE(IsOpenSSLLoaded());
  EXPECT_EQ(OpenSSLFailedLoadList(),
            std::vector<std::u16string>{u"Failed to load libcrypto.so.3."});
  EXPECT_EQ(OpenSSLEntries().SSL_new, nullptr);
}

TEST_F(OpenSSLMissing, LibrariesWithoutTheEntriesListEveryMissingRequiredName) {
  GNetOpenSSLPath = u"" VORNEL_STUB_DIR;
  EXPECT_FALSE(LoadOpenSSLLibrary());
  const auto list = OpenSSLFailedLoadList();
  EXPECT_FALSE(Has(list, u"Failed to load libcrypto.so.3."));
  EXPECT_FALSE(Has(list, u"Failed to load libssl.so.3."));
  for (const char16_t* name :
       {u"OPENSSL_init_crypto", u"ERR_error_string_n", u"OPENSSL_init_ssl", u"SSL_new", u"SSL_read",
        u"SSL_CTX_set_cipher_list", u"OpenSSL_version_num"})
    EXPECT_TRUE(Has(list, name)) << ToUtf8(name);
  // Optional entries are simply left empty.
  for (const char16_t* name : {u"SSL_pending", u"SSL_peek", u"TLSv1_client_method",
                               u"TLS_client_method", u"SSL_CTX_use_certificate_chain_file"})
    EXPECT_FALSE(Has(list, name)) << ToUtf8(name);
}

TEST_F(OpenSSLMissing, AFailedLoadLeavesNothingAndTheNextCallStartsOver) {
  GNetOpenSSLPath = u"" VORNEL_STUB_DIR;
  EXPECT_FALSE(LoadOpenSSLLibrary());
  GNetOpenSSLPath.clear();
  EXPECT_TRUE(LoadOpenSSLLibrary());
  EXPECT_TRUE(OpenSSLFailedLoadList().empty());
  EXPECT_NE(OpenSSLEntries().SSL_new, nullptr);
}

// A listening socket on 127.0.0.1 that the test accepts from itself.
class TListener {
 public:
  TListener() {
    FFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(FFd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::listen(FFd, 4);
    socklen_t n = sizeof a;
    ::getsockname(FFd, reinterpret_cast<sockaddr*>(&a), &n);
    FPort = ntohs(a.sin_port);
  }
  ~TListener() { ::close(FFd); }
  std::uint16_t Port() const { return FPort; }
  // The next connection that the kernel has queued, or -1.
  int Accept() {
    pollfd p{FFd, POLLIN, 0};
    if (::poll(&p, 1, 5000) != 1)
      return -1;
    return ::accept(FFd, nullptr, nullptr);
  }

 private:
  int FFd;
  std::uint16_t FPort = 0;
};

std::string Receive(int fd) {
  char buffer[256];
  pollfd p{fd, POLLIN, 0};
  if (::poll(&p, 1, 5000) != 1)
    return "(nothing)";
  const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
  return n <= 0 ? std::string() : std::string(buffer, static_cast<std::size_t>(n));
}

TEST_F(OpenSSLMissing, HttpsFailsAfterTheTcpConnectWhilePassThroughStaysPlain) {
  GNetOpenSSLPath = FromUtf8(FEmptyDir);
  TListener listener;
  TNetSSLIOHandlerSocketOpenSSL handler;
  TNetTCPClientCustom client;
  client.SetIOHandler(&handler);
  client.SetHost(u"127.0.0.1");
  client.SetPort(listener.Port());

  try {
    client.Connect();
    FAIL() << "connected without OpenSSL";
  } catch (const ENetOSSLCouldNotLoadSSLLibrary& e) {
    EXPECT_EQ(e.Message(), u"Could not load SSL library.");
  }
  EXPECT_FALSE(client.Connected());
  const int first = listener.Accept();
  ASSERT_GE(first, 0) << "no TCP connection was made";
  EXPECT_EQ(Receive(first), "");  // closed again, and nothing was sent
  ::close(first);

  handler.SetPassThrough(true);
  client.Connect();
  EXPECT_TRUE(client.Connected());
  const int second = listener.Accept();
  ASSERT_GE(second, 0);
  handler.Write(u"plain\r\n");
  EXPECT_EQ(Receive(second), "plain\r\n");
  client.Disconnect();
  ::close(second);
}

}  // namespace
}  // namespace vornel
