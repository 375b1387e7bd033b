#include "transport/tls/system_trust.h"

#include <windows.h>
// wincrypt.h needs the types of windows.h.
#include <wincrypt.h>

#include "transport/tls/openssl_binding.h"

namespace vornel {

namespace {

// The system store for the lifetime of the object.
class TSystemStore {
 public:
  explicit TSystemStore(const wchar_t* name) : FStore(::CertOpenSystemStoreW(0, name)) {}
  ~TSystemStore() {
    if (FStore)
      ::CertCloseStore(FStore, 0);
  }
  TSystemStore(const TSystemStore&) = delete;
  TSystemStore& operator=(const TSystemStore&) = delete;
  HCERTSTORE Handle() const { return FStore; }

 private:
  HCERTSTORE FStore;
};

}  // namespace

void AddSystemTrust(SSL_CTX* context) {
  const TNetOpenSSLEntries& e = OpenSSLEntries();
  if (!e.SSL_CTX_get_cert_store || !e.d2i_X509 || !e.X509_STORE_add_cert)
    return;
  X509_STORE* trust = e.SSL_CTX_get_cert_store(context);
  const TSystemStore root(L"ROOT");
  if (!trust || !root.Handle())
    return;
  const CERT_CONTEXT* cert = nullptr;
  while ((cert = ::CertEnumCertificatesInStore(root.Handle(), cert)) != nullptr) {
    const unsigned char* der = cert->pbCertEncoded;
    if (X509* x509 = e.d2i_X509(nullptr, &der, static_cast<long>(cert->cbCertEncoded))) {
      // A certificate that the default paths hold already is refused as a
      // duplicate and stays trusted all the same.
      e.X509_STORE_add_cert(trust, x509);
      e.X509_free(x509);
    }
  }
  e.ERR_clear_error();
}

}  // namespace vornel
