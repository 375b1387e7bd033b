#include "http/proxy_connection_info.h"

namespace vornel {

void TNetProxyConnectionInfo::SetHeaders(TNetHeaderList& headers) {
  if (!Authentication && BasicAuthentication) {
    Authentication = MakeBasicAuthentication(Username, Password);
  }
  if (!Authentication)
    return;
  if (const std::u16string text = Authentication->Authentication(); !text.empty()) {
    headers.SetValue(u"Proxy-Authorization", text);
  }
}

void TNetProxyConnectionInfo::Clear() {
  Authentication.reset();
  Password.clear();
  ProxyPort = 0;
  ProxyServer.clear();
  Username.clear();
  BasicAuthentication = false;
}

}  // namespace vornel
