// The window's download client: NetHTTP_InstallSet with its TLS handler
// NetSSLIOHandlerSocketOpenSSL1, built with the settings the download needs. The
// server's certificate is verified (against the system's trust store, or the file
// that SSL_CERT_FILE names) and must name the host of the address.
#pragma once

#include <memory>
#include <string>

#include "http/custom_http.h"
#include "installer/download_client.h"
#include "transport/tls/ssl_io_handler.h"

namespace vornel {

class THttpsDownloadClient : public TDownloadClient {
 public:
  // A transfer quiet for this long ends with "Read timed out.".
  static constexpr int DefaultReadTimeoutMs = 30000;

  THttpsDownloadClient();
  ~THttpsDownloadClient() override;

  void Get(const std::u16string& url, TStream& stream) override;
  void Disconnect() override;

  int ReadTimeout() const { return FHTTP.ReadTimeout(); }
  // Tests lower it so that a stall ends quickly.
  void SetReadTimeout(int milliseconds) { FHTTP.SetReadTimeout(milliseconds); }

  TNetHTTP& NetHTTP_InstallSet() { return FHTTP; }
  TNetSSLIOHandlerSocketOpenSSL& NetSSLIOHandlerSocketOpenSSL1() { return *FSSLHandler; }

 private:
  TNetHTTP FHTTP;
  TNetSSLIOHandlerSocketOpenSSL* FSSLHandler = nullptr;  // owned by FHTTP
};

}  // namespace vornel
