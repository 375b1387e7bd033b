// One cookie as a server set it, with the rules that read it from a
// "Set-Cookie" value and that match it against a request.
#pragma once

#include <string>
#include <string_view>

#include "http/uri.h"

namespace vornel {

class TNetCookie {
 public:
  TNetCookie();

  // Reads a "Set-Cookie" value sent in answer to uri; false rejects the cookie.
  bool ParseServerCookie(std::u16string_view text, const TNetURI& uri);

  bool IsExpired(double now) const { return Expires != 0.0 && now > Expires; }
  // Whether the cookie goes with a request for uri (secure: the request asks for
  // secure cookies too).
  bool IsAllowed(const TNetURI& uri, bool secure) const;
  // "name=value" as the "Cookie" line carries it.
  std::u16string ClientCookie() const { return Name + u"=" + Value; }

  std::u16string Domain;
  double Expires = 0.0;
  bool HttpOnly = false;
  std::u16string Name;
  std::u16string Path;
  bool Secure = false;
  std::u16string Value;
  double CreatedAt = 0.0;
  bool HostOnly = false;
  double LastAccessed = 0.0;
  bool Persistent = false;
};

// The latest expiry a cookie can have: 31 December 9999, 23:59:59.999.
double CookieMaxDate();
// Domain match of a host and a cookie domain.
bool CookieDomainMatches(std::u16string_view host, std::u16string_view domain);
// Path match of a request path and a cookie path.
bool CookiePathMatches(std::u16string_view requestPath, std::u16string_view cookiePath);
// The default path of a cookie set in answer to a request for this URI path.
std::u16string CookieDefaultPath(std::u16string_view uriPath);

}  // namespace vornel
