#include "transport/tls/openssl_libraries.h"

namespace vornel {

// OpenSSL is linked into the program: every entry is the linked function, so
// nothing can be missing and nothing is ever loaded from a folder. The method
// families that this build of the library left out (SSL 2 always) stay unset, as
// an export that a shared library lacks would.
bool TOpenSSLLibraries::Open(TNetOpenSSLEntries& entries, std::vector<std::u16string>&) {
#define VORNEL_LINKED(lib, required, name) entries.name = &::name;
#define VORNEL_LINKED_RENAMED(lib, required, name, older) entries.name = &::name;
#define VORNEL_LINKED_METHODS(prefix)                         \
  entries.prefix##_method = &::prefix##_method;               \
  entries.prefix##_server_method = &::prefix##_server_method; \
  entries.prefix##_client_method = &::prefix##_client_method;
  VORNEL_OPENSSL_ENTRIES(VORNEL_LINKED)
  VORNEL_OPENSSL_RENAMED_ENTRIES(VORNEL_LINKED_RENAMED)
#ifndef OPENSSL_NO_SSL3_METHOD
  VORNEL_LINKED_METHODS(SSLv3)
#endif
#ifndef OPENSSL_NO_TLS1_METHOD
  VORNEL_LINKED_METHODS(TLSv1)
#endif
#ifndef OPENSSL_NO_TLS1_1_METHOD
  VORNEL_LINKED_METHODS(TLSv1_1)
#endif
#ifndef OPENSSL_NO_TLS1_2_METHOD
  VORNEL_LINKED_METHODS(TLSv1_2)
#endif
#ifndef OPENSSL_NO_DTLS1_METHOD
  VORNEL_LINKED_METHODS(DTLSv1)
#endif
  VORNEL_LINKED_METHODS(TLS)
#undef VORNEL_LINKED
#undef VORNEL_LINKED_RENAMED
#undef VORNEL_LINKED_METHODS
  // The linked library cleans up by itself at process end. A cleanup while the
  // process runs would leave it unable to start again, and an unload followed by
  // a load must work as it does with libraries that are really unloaded.
  entries.OPENSSL_cleanup = nullptr;
  return true;
}

void TOpenSSLLibraries::Close() {}

}  // namespace vornel
