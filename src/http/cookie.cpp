#include "http/cookie.h"

#include <limits>
#include <optional>

#include "http/cookie_date.h"
#include "http/text_helpers.h"
#include "platform/clock.h"
#include "platform/text.h"
#include "transport/socket/net_stack.h"

namespace vornel {

namespace {

constexpr double kSecondsPerDay = 86400.0;

// A value as the cookie rules read it: trimmed; a leading double quote dropped
// and the value ended before the next one.
std::u16string CookieValue(std::u16string_view text) {
  std::u16string value = Trim(text);
  if (!value.empty() && value.front() == u'"') {
    const auto close = value.find(u'"', 1);
    value = value.substr(1, close == std::u16string::npos ? std::u16string::npos : close - 1);
  }
  return value;
}

bool IsWebProtocol(std::u16string_view protocol) {
  return SameTextAscii(protocol, u"http") || SameTextAscii(protocol, u"https");
}

// Now plus a number of seconds; before the year 1 for a negative number.
double ExpiryAfter(std::int64_t seconds, double now) {
  if (seconds < 0)
    return EncodeDateTime(1, 1, 1, 0, 0, 0);
  const double expiry = now + static_cast<double>(seconds) / kSecondsPerDay;
  return expiry > CookieMaxDate() ? CookieMaxDate() : expiry;
}

}  // namespace

double CookieMaxDate() {
  return EncodeDateTime(9999, 12, 31, 23, 59, 59, 999);
}

TNetCookie::TNetCookie() : CreatedAt(Now()), LastAccessed(CreatedAt) {}

bool CookieDomainMatches(std::u16string_view host, std::u16string_view domain) {
  if (host.empty() || domain.empty())
    return false;
  if (SameTextAscii(host, domain))
    return true;
  if (host.size() <= domain.size() || !http_text::EndsWithNoCase(host, domain))
    return false;
  if (host[host.size() - domain.size() - 1] != u'.')
    return false;
  // Only a host name has parent domains.
  return host.front() != u'.' && !TNetStack::IsIP(host) &&
         host.find(u':') == std::u16string_view::npos;
}

bool CookiePathMatches(std::u16string_view requestPath, std::u16string_view cookiePath) {
  if (SameTextAscii(requestPath, cookiePath))
    return true;
  if (!http_text::StartsWithNoCase(requestPath, cookiePath))
    return false;
  return (!cookiePath.empty() && cookiePath.back() == u'/') ||
         (requestPath.size() > cookiePath.size() && requestPath[cookiePath.size()] == u'/');
}

std::u16string CookieDefaultPath(std::u16string_view uriPath) {
  const auto last = uriPath.rfind(u'/');
  if (!uriPath.empty() && uriPath.front() == u'/' && last != std::u16string_view::npos &&
      last > 0) {
    return std::u16string(uriPath.substr(0, last));
  }
  return u"/";
}

bool TNetCookie::ParseServerCookie(std::u16string_view text, const TNetURI& uri) {
  const auto semicolon = text.find(u';');
  const std::u16string_view nameValue = text.substr(0, semicolon);
  std::u16string_view attributes =
      semicolon == std::u16string_view::npos ? std::u16string_view() : text.substr(semicolon);

  const auto equals = nameValue.find(u'=');
  if (equals == std::u16string_view::npos)
    return false;
  std::u16string name = Trim(nameValue.substr(0, equals));
  if (name.empty())
    return false;

  const double now = Now();
  std::optional<double> expires, maxAge;
  std::optional<std::u16string> domain, path;
  bool secure = false, httpOnly = false;
  while (!attributes.empty()) {
    attributes.remove_prefix(1);  // the ";"
    const auto next = attributes.find(u';');
    const std::u16string_view attribute = attributes.substr(0, next);
    attributes =
        next == std::u16string_view::npos ? std::u16string_view() : attributes.substr(next);
    const auto eq = attribute.find(u'=');
    const std::u16string attrName = Trim(attribute.substr(0, eq));
    const std::u16string attrValue =
        eq == std::u16string_view::npos ? std::u16string() : CookieValue(attribute.substr(eq + 1));
    if (SameTextAscii(attrName, u"Expires")) {
      if (const auto seconds = http_text::ParseInt64(attrValue)) {
        expires = ExpiryAfter(*seconds, now);
      } else if (const auto date = ParseCookieDate(attrValue)) {
        expires = *date;
      }
    } else if (SameTextAscii(attrName, u"Max-Age")) {
      if (const auto seconds = http_text::ParseInt64(attrValue))
        maxAge = ExpiryAfter(*seconds, now);
    } else if (SameTextAscii(attrName, u"Domain")) {
      if (!attrValue.empty()) {
        std::u16string value = attrValue;
        if (value.front() == u'.')
          value.erase(0, 1);
        value = value.substr(0, value.find(u':'));
        domain = AsciiLowerCase(value);
      }
    } else if (SameTextAscii(attrName, u"Path")) {
      path = (attrValue.empty() || attrValue.front() != u'/') ? CookieDefaultPath(uri.Path)
                                                              : attrValue;
    } else if (SameTextAscii(attrName, u"Secure")) {
      secure = true;
    } else if (SameTextAscii(attrName, u"HttpOnly")) {
      httpOnly = true;
    }
  }

  Name = std::move(name);
  Value = CookieValue(nameValue.substr(equals + 1));
  CreatedAt = LastAccessed = now;
  if (maxAge || expires) {
    Expires = maxAge ? *maxAge : *expires;
    Persistent = true;
  } else {
    Expires = CookieMaxDate();
    Persistent = false;
  }
  if (!domain) {
    HostOnly = true;
    Domain = uri.Host;
  } else if (CookieDomainMatches(uri.Host, *domain)) {
    HostOnly = false;
    Domain = *domain;
  } else {
    return false;
  }
  Path = path ? *path : CookieDefaultPath(uri.Path);
  Secure = secure;
  HttpOnly = httpOnly;
  return !(HttpOnly && !IsWebProtocol(uri.Protocol));
}

bool TNetCookie::IsAllowed(const TNetURI& uri, bool secure) const {
  const bool hostMatches =
      HostOnly ? SameTextAscii(uri.Host, Domain) : CookieDomainMatches(uri.Host, Domain);
  return hostMatches && CookiePathMatches(uri.Path, Path) && (!Secure || secure) &&
         (!HttpOnly || IsWebProtocol(uri.Protocol));
}

}  // namespace vornel
