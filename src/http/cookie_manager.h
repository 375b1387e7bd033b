// The cookie store of the HTTP client: the cookies that servers set, kept in the
// order of storing and guarded for many readers or one writer, and the manager
// component that stores them from responses and sends them back on requests.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <vector>

#include "http/cookie.h"
#include "http/header_list.h"
#include "http/uri.h"
#include "transport/net_component.h"

namespace vornel {

enum TNetCookieAccess { caRead, caReadWrite };

class TNetCookies;

// Holds the cookie list's lock for reading or writing until it goes.
class TNetCookieListLock {
 public:
  TNetCookieListLock(TNetCookies& cookies, TNetCookieAccess access);
  ~TNetCookieListLock();
  TNetCookieListLock(const TNetCookieListLock&) = delete;
  TNetCookieListLock& operator=(const TNetCookieListLock&) = delete;

  std::vector<std::unique_ptr<TNetCookie>>& List();

 private:
  TNetCookies& FCookies;
  TNetCookieAccess FAccess;
};

class TNetCookies {
 public:
  std::size_t Count();
  // A copy of the cookie at index, taken under the read lock.
  TNetCookie At(std::size_t index);
  // Removes the expired cookies, from the last to the first.
  void RemoveExpired();

  TNetCookieListLock LockCookieList(TNetCookieAccess access) {
    return TNetCookieListLock(*this, access);
  }

 private:
  friend class TNetCookieListLock;
  std::shared_mutex FLock;
  std::vector<std::unique_ptr<TNetCookie>> FList;
};

// A component, so that an HTTP client that uses it hears when it goes.
class TNetCookieManager : public TNetComponent {
 public:
  using TOnCreate = std::function<void(TNetCookieManager& sender)>;
  using TOnNewCookie =
      std::function<void(TNetCookieManager& sender, TNetCookie& cookie, bool& accept)>;

  explicit TNetCookieManager(const TOnCreate& onCreate = {});
  ~TNetCookieManager() override;

  // Parses and stores one "Set-Cookie" value of a response to uri; whether it was
  // kept (a cookie that expires at once only removes its stored twin).
  bool AddServerCookie(const std::u16string& text, const TNetURI& uri);
  void AddServerCookies(const std::vector<std::u16string>& texts, const TNetURI& uri);
  // Appends a "Cookie" line for the cookies that go with a request for uri
  // (secureOnly: the request asks for secure cookies too); no line when none go.
  void GenerateClientCookies(const TNetURI& uri, bool secureOnly, TNetHeaderList& headers);
  // Copies every cookie of another manager.
  void AddCookies(TNetCookieManager& source);

  TNetCookies& CookieCollection() { return FCookies; }

  std::function<void(TNetCookieManager& sender)> OnDestroy;
  TOnNewCookie OnNewCookie;

 private:
  TNetCookies FCookies;
};

}  // namespace vornel
