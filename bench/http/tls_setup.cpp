#include "tls_setup.h"

// This build has no TLS handler; the benchmark runs over plain HTTP.
bool TLSAvailable() {
  return false;
}
void AttachBenchTLS(vornel::TNetCustomHTTP&, const std::string&) {}
