#include "tls_setup.h"

#include <memory>

#include "transport/tls/ssl_io_handler.h"

bool TLSAvailable() {
  return true;
}

void AttachBenchTLS(vornel::TNetCustomHTTP& http, const std::string& caFile) {
  auto tls = std::make_unique<vornel::TNetSSLIOHandlerSocketOpenSSL>();
  tls->SSLOptions().SetRootCertFile(std::u16string(caFile.begin(), caFile.end()));
  tls->SSLOptions().SetVerifyMode({vornel::sslvrfPeer});
  http.SetIOHandler(std::move(tls));
}
