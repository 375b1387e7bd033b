#include "netget_tls.h"

// No TLS handler is available in this build: "https" addresses are refused by
// the component with its own error.
void AttachTLSHandler(vornel::TNetCustomHTTP&, bool) {}
