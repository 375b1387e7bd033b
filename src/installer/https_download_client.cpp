#include "installer/https_download_client.h"

#include <utility>

namespace vornel {

THttpsDownloadClient::THttpsDownloadClient() {
  auto handler = std::make_unique<TNetSSLIOHandlerSocketOpenSSL>();
  FSSLHandler = handler.get();
  FSSLHandler->SetMaxLineAction(maException);
  FSSLHandler->SetPort(0);
  TNetSSLOptions& ssl = FSSLHandler->SSLOptions();
  ssl.SetMode(sslmUnassigned);
  // The server's certificate chain and host name are checked (a failure ends the
  // request); the protocol versions are OpenSSL's defaults.
  ssl.SetVerifyMode({sslvrfPeer});
  FHTTP.SetIOHandler(std::move(handler));

  FHTTP.AllowCookies = true;
  FHTTP.HandleRedirects = false;
  FHTTP.HTTPOptions = TNetHTTPOptions{hoForceEncodeParams};
  TNetHTTPRequest& request = FHTTP.Request();
  request.ContentLength = -1;
  request.ContentRangeStart = -1;
  request.ContentRangeEnd = -1;
  request.ContentRangeInstanceLength = -1;
  request.Accept = u"text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8";
  request.UserAgent = u"Mozilla/3.0 (compatible; Net Library)";
  request.BasicAuthentication = false;
  // Set after the handler, which takes the client's time-out over.
  FHTTP.SetReadTimeout(DefaultReadTimeoutMs);

  FHTTP.OnWorkBegin = [this](TNetComponent&, TWorkMode mode, std::int64_t maximum) {
    if (OnWorkBegin)
      OnWorkBegin(mode, maximum);
  };
  FHTTP.OnWork = [this](TNetComponent&, TWorkMode mode, std::int64_t count) {
    if (OnWork)
      OnWork(mode, count);
  };
  FHTTP.OnWorkEnd = [this](TNetComponent&, TWorkMode mode) {
    if (OnWorkEnd)
      OnWorkEnd(mode);
  };
}

THttpsDownloadClient::~THttpsDownloadClient() = default;

void THttpsDownloadClient::Get(const std::u16string& url, TStream& stream) {
  FHTTP.Get(url, stream);
}

void THttpsDownloadClient::Disconnect() {
  FHTTP.Disconnect();
}

}  // namespace vornel
