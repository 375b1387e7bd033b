// The proxy a request goes through.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "http/authentication.h"
#include "http/header_list.h"

namespace vornel {

class TNetProxyConnectionInfo {
 public:
  // Sets "Proxy-Authorization" when there is an authentication text, creating a
  // Basic object first when asked for and none is there.
  void SetHeaders(TNetHeaderList& headers);
  void Clear();

  std::unique_ptr<TNetAuthentication> Authentication;
  std::u16string Password;
  std::int32_t ProxyPort = 0;
  std::u16string ProxyServer;
  std::u16string Username;
  bool BasicAuthentication = false;
};

}  // namespace vornel
