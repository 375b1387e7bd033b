// The header fields of a request, and the request itself.
#pragma once

#include <memory>
#include <string>

#include "http/authentication.h"
#include "http/entity_header_info.h"
#include "http/entity_ranges.h"
#include "http/http_types.h"
#include "platform/stream.h"
#include "transport/socket/net_exception.h"
#include "transport/socket/net_types.h"

namespace vornel {

inline constexpr char16_t kDefaultAccept[] =
    u"text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8";
inline constexpr char16_t kDefaultUserAgent[] = u"Mozilla/3.0 (compatible; Net Library)";

class TNetRequestHeaderInfo : public TNetEntityHeaderInfo {
 public:
  TNetRequestHeaderInfo() { Clear(); }

  void Clear() override;
  // The entity lines, then the request's own (which replace custom lines of the
  // same name in place).
  void SetHeaders() override;

  std::u16string Accept;
  std::u16string AcceptCharSet;
  std::u16string AcceptEncoding;
  std::u16string AcceptLanguage;
  std::u16string From;
  std::u16string Password;
  std::u16string Referer;
  std::u16string UserAgent;
  std::u16string Username;
  std::u16string Host;
  std::u16string ProxyConnection;
  TNetEntityRanges Ranges;
  bool BasicAuthentication = false;
  std::unique_ptr<TNetAuthentication> Authentication;
  std::u16string MethodOverride;
};

class TNetHTTPRequest : public TNetRequestHeaderInfo {
 public:
  std::u16string URL;
  std::u16string Method;
  TStream* Source = nullptr;
  TNetHTTPConnectionType UseProxy = ctNormal;
  TNetIPVersion IPVersion = Net_IPv4;
  std::u16string Destination;
};

}  // namespace vornel
