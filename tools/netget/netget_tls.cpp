#include "netget_tls.h"

#include <memory>

#include "transport/tls/ssl_io_handler.h"

// A TLS handler that verifies the server's certificate against the system's
// certificate folder, unless told not to.
void AttachTLSHandler(vornel::TNetCustomHTTP& http, bool insecure) {
  auto tls = std::make_unique<vornel::TNetSSLIOHandlerSocketOpenSSL>();
  if (!insecure) {
    tls->SSLOptions().SetVerifyMode({vornel::sslvrfPeer});
    tls->SSLOptions().SetVerifyDirs(u"/etc/ssl/certs");
  }
  http.SetIOHandler(std::move(tls));
}
