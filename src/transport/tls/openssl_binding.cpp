#include "transport/tls/openssl_binding.h"

#include "transport/tls/openssl_libraries.h"

namespace vornel {

std::u16string GNetOpenSSLPath;

namespace {

// The binding's process-wide state. Destroyed at process end, which unloads.
class TBinding {
 public:
  ~TBinding() { UnLoad(); }

  bool Load() {
    std::lock_guard lock(FLock);
    if (FLoaded)
      return true;
    if (!LoadLibraries() || !Initialise()) {
      ReleaseLibraries();
      return false;
    }
    FLoaded = true;
    return true;
  }

  void UnLoad() {
    std::lock_guard lock(FLock);
    if (FLoaded && FEntries.OPENSSL_cleanup)
      FEntries.OPENSSL_cleanup();
    FLoaded = false;
    ReleaseLibraries();
  }

  bool Loaded() {
    std::lock_guard lock(FLock);
    return FLoaded;
  }

  std::vector<std::u16string> FailedLoadList() {
    std::lock_guard lock(FLock);
    return FFailedLoadList;
  }

  const TNetOpenSSLEntries& Entries() const { return FEntries; }

  std::mutex InfoLock, PassLock, VerifyLock;

 private:
  bool LoadLibraries() {
    FFailedLoadList.clear();
    FEntries = {};
    return FLibraries.Open(FEntries, FFailedLoadList);
  }

  // OpenSSL 3 locks internally, so no locking callback is registered; its one
  // initialisation call covers ciphers, digests, error strings and the library.
  bool Initialise() {
    if (FEntries.OPENSSL_init_crypto(OPENSSL_INIT_ADD_ALL_CIPHERS | OPENSSL_INIT_ADD_ALL_DIGESTS,
                                     nullptr) <= 0)
      return false;
    return FEntries.OPENSSL_init_ssl(
               OPENSSL_INIT_LOAD_SSL_STRINGS | OPENSSL_INIT_LOAD_CRYPTO_STRINGS, nullptr) > 0;
  }

  void ReleaseLibraries() {
    FEntries = {};
    FLibraries.Close();
  }

  std::mutex FLock;  // the lock of the loaded flag
  bool FLoaded = false;
  TOpenSSLLibraries FLibraries;
  std::vector<std::u16string> FFailedLoadList;
  TNetOpenSSLEntries FEntries;
};

TBinding& Binding() {
  static TBinding binding;
  return binding;
}

bool FamilyFound(TNetSSLMethodFunc generic, TNetSSLMethodFunc server, TNetSSLMethodFunc client) {
  return generic && server && client;
}

}  // namespace

bool LoadOpenSSLLibrary() {
  return Binding().Load();
}
void UnLoadOpenSSLLibrary() {
  Binding().UnLoad();
}
bool IsOpenSSLLoaded() {
  return Binding().Loaded();
}
std::vector<std::u16string> OpenSSLFailedLoadList() {
  return Binding().FailedLoadList();
}
const TNetOpenSSLEntries& OpenSSLEntries() {
  return Binding().Entries();
}

bool OpenSSLVersionAvailable(TNetSSLVersion version) {
  const TNetOpenSSLEntries& e = OpenSSLEntries();
  switch (version) {
    case sslvSSLv2:
      return FamilyFound(e.SSLv2_method, e.SSLv2_server_method, e.SSLv2_client_method);
    case sslvSSLv23:
      return FamilyFound(e.TLS_method, e.TLS_server_method, e.TLS_client_method);
    case sslvSSLv3:
      return FamilyFound(e.SSLv3_method, e.SSLv3_server_method, e.SSLv3_client_method);
    case sslvTLSv1:
      return FamilyFound(e.TLSv1_method, e.TLSv1_server_method, e.TLSv1_client_method);
    case sslvTLSv1_1:
      return FamilyFound(e.TLSv1_1_method, e.TLSv1_1_server_method, e.TLSv1_1_client_method);
    case sslvTLSv1_2:
      return FamilyFound(e.TLSv1_2_method, e.TLSv1_2_server_method, e.TLSv1_2_client_method);
    case sslvTLSv1_3:
      // No method family of its own: the generic one of a release that knows it.
      return FamilyFound(e.TLS_method, e.TLS_server_method, e.TLS_client_method) &&
             e.OpenSSL_version_num && e.OpenSSL_version_num() >= 0x10101000UL;
  }
  return false;
}

std::mutex& LockInfoCB() {
  return Binding().InfoLock;
}
std::mutex& LockPassCB() {
  return Binding().PassLock;
}
std::mutex& LockVerifyCB() {
  return Binding().VerifyLock;
}

}  // namespace vornel
