#include "transport/tls/openssl_binding.h"

#include <dlfcn.h>

#include <string_view>

#include "platform/file_system.h"
#include "platform/text.h"

namespace vornel {

std::u16string GNetOpenSSLPath;

namespace {

using TAssign = void (*)(TNetOpenSSLEntries&, void*);

struct TEntrySpec {
  TNetOpenSSLLib Lib;
  bool Required;
  const char* Name;
  const char* OlderName;  // looked up first when set
  TAssign Assign;
};

#define VORNEL_ASSIGN(member) \
  [](TNetOpenSSLEntries& e, void* p) { e.member = reinterpret_cast<decltype(e.member)>(p); }
#define VORNEL_SPEC(lib, required, name) \
  TEntrySpec{TNetOpenSSLLib::lib, required, #name, nullptr, VORNEL_ASSIGN(name)},
#define VORNEL_RENAMED_SPEC(lib, required, name, older) \
  TEntrySpec{TNetOpenSSLLib::lib, required, #name, older, VORNEL_ASSIGN(name)},
#define VORNEL_METHOD_SPECS(prefix)                                             \
  TEntrySpec{TNetOpenSSLLib::Ssl, false, #prefix "_method", nullptr,            \
             VORNEL_ASSIGN(prefix##_method)},                                   \
      TEntrySpec{TNetOpenSSLLib::Ssl, false, #prefix "_server_method", nullptr, \
                 VORNEL_ASSIGN(prefix##_server_method)},                        \
      TEntrySpec{TNetOpenSSLLib::Ssl, false, #prefix "_client_method", nullptr, \
                 VORNEL_ASSIGN(prefix##_client_method)},

const TEntrySpec EntrySpecs[] = {
    VORNEL_OPENSSL_ENTRIES(VORNEL_SPEC)                  //
    VORNEL_OPENSSL_RENAMED_ENTRIES(VORNEL_RENAMED_SPEC)  //
    VORNEL_OPENSSL_METHOD_FAMILIES(VORNEL_METHOD_SPECS)  //
    TEntrySpec{TNetOpenSSLLib::Ssl, false, "TLS_method", "SSLv23_method",
               VORNEL_ASSIGN(TLS_method)},
    TEntrySpec{TNetOpenSSLLib::Ssl, false, "TLS_server_method", "SSLv23_server_method",
               VORNEL_ASSIGN(TLS_server_method)},
    TEntrySpec{TNetOpenSSLLib::Ssl, false, "TLS_client_method", "SSLv23_client_method",
               VORNEL_ASSIGN(TLS_client_method)},
};

#undef VORNEL_ASSIGN
#undef VORNEL_SPEC
#undef VORNEL_RENAMED_SPEC
#undef VORNEL_METHOD_SPECS

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
  // The system's library search only, never the executable's own folder: an
  // installer runs from a download folder that any web page can drop a file
  // into. Only under the prefix when one is set.
  static void* OpenLibrary(const char* fileName) {
    if (!GNetOpenSSLPath.empty()) {
      const std::string path =
          ToUtf8(IncludeTrailingPathDelimiter(GNetOpenSSLPath) + FromUtf8(fileName));
      return ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    }
    return ::dlopen(fileName, RTLD_NOW | RTLD_LOCAL);
  }

  void Failed(const char* fileName) {
    FFailedLoadList.push_back(u"Failed to load " + FromUtf8(fileName) + u".");
  }

  bool LoadLibraries() {
    FFailedLoadList.clear();
    FEntries = {};
    FCrypto = OpenLibrary(OpenSSLCryptoLibName);
    if (!FCrypto) {
      Failed(OpenSSLCryptoLibName);
      return false;
    }
    FSsl = OpenLibrary(OpenSSLSslLibName);
    if (!FSsl) {
      Failed(OpenSSLSslLibName);
      return false;
    }
    for (const TEntrySpec& spec : EntrySpecs) {
      void* lib = spec.Lib == TNetOpenSSLLib::Ssl ? FSsl : FCrypto;
      void* p = spec.OlderName ? ::dlsym(lib, spec.OlderName) : nullptr;
      if (!p)
        p = ::dlsym(lib, spec.Name);
      if (p) {
        spec.Assign(FEntries, p);
      } else if (spec.Required) {
        FFailedLoadList.push_back(FromUtf8(spec.Name));
      }
    }
    return FFailedLoadList.empty();
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
    if (FSsl)
      ::dlclose(FSsl);
    if (FCrypto)
      ::dlclose(FCrypto);
    FSsl = FCrypto = nullptr;
  }

  std::mutex FLock;  // the lock of the loaded flag
  bool FLoaded = false;
  void* FCrypto = nullptr;
  void* FSsl = nullptr;
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
