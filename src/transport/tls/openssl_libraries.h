// The OpenSSL libraries behind the binding, held while it is loaded: opened by
// name at run time on Linux (posix/), the statically linked library itself on
// Windows (win32/). Open fills the entry table; what is missing goes to the
// failed-load list ("Failed to load %s." texts and export names of required
// entries).
#pragma once

#include <string>
#include <vector>

#include "transport/tls/openssl_entries.h"

namespace vornel {

class TOpenSSLLibraries {
 public:
  TOpenSSLLibraries() = default;
  ~TOpenSSLLibraries() { Close(); }
  TOpenSSLLibraries(const TOpenSSLLibraries&) = delete;
  TOpenSSLLibraries& operator=(const TOpenSSLLibraries&) = delete;

  // True when every required entry was found; on false the caller closes.
  bool Open(TNetOpenSSLEntries& entries, std::vector<std::u16string>& failedLoadList);
  void Close();

 private:
  void* FCrypto = nullptr;
  void* FSsl = nullptr;
};

}  // namespace vornel
