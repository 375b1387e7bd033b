#include "transport/tls/system_trust.h"

namespace vornel {

void AddSystemTrust(SSL_CTX*) {}

}  // namespace vornel
