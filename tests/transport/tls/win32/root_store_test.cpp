// Trust through the Windows ROOT store, as the installer's users have it: the
// root of a test CA of its own, in the current user's ROOT store (of the tests'
// private Wine prefix) for the test's time only, makes the chain of a server
// trusted; before and after, the same server is refused. OpenSSL's default paths
// (SSL_CERT_FILE) name nothing here.
#include <windows.h>
// wincrypt.h needs the types of windows.h.
#include <wincrypt.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/text.h"
#include "support/peer_side.h"
#include "tls_test_support.h"
#include "transport/tcp_client.h"
#include "transport/tls/ssl_exceptions.h"
#include "transport/tls/ssl_io_handler.h"

namespace vornel {
namespace {

using test::AnnouncedPort;
using test::SServer;
using test::TPeerProcess;
using test::TTestPki;

// A certificate of a PEM file in the current user's ROOT store while the object
// lives.
class TRootStoreEntry {
 public:
  explicit TRootStoreEntry(const std::string& pemFile) {
    std::ifstream in(pemFile, std::ios::binary);
    const std::string pem{std::istreambuf_iterator<char>(in), {}};
    DWORD size = 0;
    if (!::CryptStringToBinaryA(pem.data(), static_cast<DWORD>(pem.size()),
                                CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr, nullptr))
      throw std::runtime_error("no certificate in " + pemFile);
    std::vector<BYTE> der(size);
    ::CryptStringToBinaryA(pem.data(), static_cast<DWORD>(pem.size()), CRYPT_STRING_BASE64HEADER,
                           der.data(), &size, nullptr, nullptr);
    FStore =
        ::CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, L"ROOT");
    if (!FStore || !::CertAddEncodedCertificateToStore(FStore, X509_ASN_ENCODING, der.data(), size,
                                                       CERT_STORE_ADD_REPLACE_EXISTING, &FCert))
      throw std::runtime_error("the ROOT store took no certificate: " +
                               std::to_string(::GetLastError()));
    // Written through to the registry now, where every later opening of the
    // store reads it.
    Commit();
  }
  ~TRootStoreEntry() {
    if (FCert) {
      ::CertDeleteCertificateFromStore(FCert);  // frees the context too
      Commit();
    }
    if (FStore)
      ::CertCloseStore(FStore, 0);
  }
  TRootStoreEntry(const TRootStoreEntry&) = delete;
  TRootStoreEntry& operator=(const TRootStoreEntry&) = delete;

 private:
  void Commit() { ::CertControlStore(FStore, 0, CERT_STORE_CTRL_COMMIT, nullptr); }

  HCERTSTORE FStore = nullptr;
  const CERT_CONTEXT* FCert = nullptr;
};

// Fetches the status page with a verifying handler; empty when accepted, else
// the error's text.
std::string Fetch(std::uint16_t port) {
  TNetSSLIOHandlerSocketOpenSSL handler;
  TNetTCPClientCustom client;
  client.SetIOHandler(&handler);
  handler.SSLOptions().SetVerifyMode({sslvrfPeer});
  client.SetHost(u"localhost");
  client.SetPort(port);
  try {
    client.Connect();
    handler.Write(u"GET / HTTP/1.0\r\n\r\n");
    const std::u16string status = handler.ReadLn();
    client.Disconnect();
    return status == u"HTTP/1.0 200 ok" ? "" : "status " + ToUtf8(status);
  } catch (const ENetOpenSSLError& e) {
    return e.what();
  }
}

TEST(RootStore, TheTestRootTrustsTheServerWhileItIsInTheCurrentUsersRootStore) {
  test::UnsetEnvironment("SSL_CERT_FILE");
  test::UnsetEnvironment("SSL_CERT_DIR");
  const TTestPki pki("root-store");
  TPeerProcess server(SServer(pki, "server"));
  const std::uint16_t port = AnnouncedPort(server);

  const std::string before = Fetch(port);
  EXPECT_NE(before.find("unable to get local issuer certificate"), std::string::npos) << before;
  {
    const TRootStoreEntry entry(pki.CA());
    EXPECT_EQ(Fetch(port), "");
  }
  const std::string after = Fetch(port);
  EXPECT_NE(after.find("unable to get local issuer certificate"), std::string::npos) << after;
}

}  // namespace
}  // namespace vornel
