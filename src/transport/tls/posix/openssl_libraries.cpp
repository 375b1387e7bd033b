#include "transport/tls/openssl_libraries.h"

#include <dlfcn.h>

#include "platform/file_system.h"
#include "platform/text.h"
#include "transport/tls/openssl_binding.h"

namespace vornel {

namespace {

constexpr char CryptoLibName[] = "libcrypto.so.3";
constexpr char SslLibName[] = "libssl.so.3";

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

// The system's library search only, never the executable's own folder: an
// installer runs from a download folder that any web page can drop a file
// into. Only under the prefix when one is set.
void* OpenLibrary(const char* fileName) {
  if (!GNetOpenSSLPath.empty()) {
    const std::string path =
        ToUtf8(IncludeTrailingPathDelimiter(GNetOpenSSLPath) + FromUtf8(fileName));
    return ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  }
  return ::dlopen(fileName, RTLD_NOW | RTLD_LOCAL);
}

void* OpenOrNote(const char* fileName, std::vector<std::u16string>& failedLoadList) {
  void* handle = OpenLibrary(fileName);
  if (!handle)
    failedLoadList.push_back(u"Failed to load " + FromUtf8(fileName) + u".");
  return handle;
}

}  // namespace

bool TOpenSSLLibraries::Open(TNetOpenSSLEntries& entries,
                             std::vector<std::u16string>& failedLoadList) {
  FCrypto = OpenOrNote(CryptoLibName, failedLoadList);
  if (!FCrypto)
    return false;
  FSsl = OpenOrNote(SslLibName, failedLoadList);
  if (!FSsl)
    return false;
  for (const TEntrySpec& spec : EntrySpecs) {
    void* lib = spec.Lib == TNetOpenSSLLib::Ssl ? FSsl : FCrypto;
    void* p = spec.OlderName ? ::dlsym(lib, spec.OlderName) : nullptr;
    if (!p)
      p = ::dlsym(lib, spec.Name);
    if (p) {
      spec.Assign(entries, p);
    } else if (spec.Required) {
      failedLoadList.push_back(FromUtf8(spec.Name));
    }
  }
  return failedLoadList.empty();
}

void TOpenSSLLibraries::Close() {
  if (FSsl)
    ::dlclose(FSsl);
  if (FCrypto)
    ::dlclose(FCrypto);
  FSsl = FCrypto = nullptr;
}

}  // namespace vornel
