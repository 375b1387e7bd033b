// The system's own trusted certificates beside OpenSSL's default paths: nothing
// more on Linux, whose default paths are the system's trust (posix/); the
// certificates of the "ROOT" system store on Windows (win32/).
#pragma once

#include "transport/tls/openssl_entries.h"

namespace vornel {

// Adds them to the context's certificate store; a certificate that cannot be
// read is left out, the others still count.
void AddSystemTrust(SSL_CTX* context);

}  // namespace vornel
