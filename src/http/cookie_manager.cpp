#include "http/cookie_manager.h"

#include <algorithm>

#include "platform/clock.h"
#include "platform/text.h"

namespace vornel {

TNetCookieListLock::TNetCookieListLock(TNetCookies& cookies, TNetCookieAccess access)
    : FCookies(cookies), FAccess(access) {
  if (FAccess == caRead) {
    FCookies.FLock.lock_shared();
  } else {
    FCookies.FLock.lock();
  }
}

TNetCookieListLock::~TNetCookieListLock() {
  if (FAccess == caRead) {
    FCookies.FLock.unlock_shared();
  } else {
    FCookies.FLock.unlock();
  }
}

std::vector<std::unique_ptr<TNetCookie>>& TNetCookieListLock::List() {
  return FCookies.FList;
}

std::size_t TNetCookies::Count() {
  auto lock = LockCookieList(caRead);
  return lock.List().size();
}

TNetCookie TNetCookies::At(std::size_t index) {
  auto lock = LockCookieList(caRead);
  return *lock.List().at(index);
}

void TNetCookies::RemoveExpired() {
  const double now = Now();
  auto lock = LockCookieList(caReadWrite);
  auto& list = lock.List();
  for (std::size_t i = list.size(); i-- > 0;) {
    if (list[i]->IsExpired(now))
      list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
  }
}

TNetCookieManager::TNetCookieManager(const TOnCreate& onCreate) {
  if (onCreate)
    onCreate(*this);
}

TNetCookieManager::~TNetCookieManager() {
  FCookies.RemoveExpired();
  if (OnDestroy)
    OnDestroy(*this);
}

bool TNetCookieManager::AddServerCookie(const std::u16string& text, const TNetURI& uri) {
  auto cookie = std::make_unique<TNetCookie>();
  if (!cookie->ParseServerCookie(text, uri))
    return false;
  bool accept = true;
  if (OnNewCookie)
    OnNewCookie(*this, *cookie, accept);
  if (!accept)
    return false;

  auto lock = FCookies.LockCookieList(caReadWrite);
  auto& list = lock.List();
  const auto twin = std::find_if(list.begin(), list.end(), [&](const auto& stored) {
    return SameTextAscii(stored->Name, cookie->Name) &&
           SameTextAscii(stored->Domain, cookie->Domain) &&
           SameTextAscii(stored->Path, cookie->Path);
  });
  if (twin != list.end()) {
    const bool webRequest =
        SameTextAscii(uri.Protocol, u"http") || SameTextAscii(uri.Protocol, u"https");
    if (!webRequest && (*twin)->HttpOnly)
      return false;
    cookie->CreatedAt = (*twin)->CreatedAt;
    list.erase(twin);
  }
  if (cookie->IsExpired(Now()))
    return false;
  list.push_back(std::move(cookie));
  return true;
}

void TNetCookieManager::AddServerCookies(const std::vector<std::u16string>& texts,
                                         const TNetURI& uri) {
  for (const auto& text : texts)
    AddServerCookie(text, uri);
}

void TNetCookieManager::GenerateClientCookies(const TNetURI& uri, bool secureOnly,
                                              TNetHeaderList& headers) {
  FCookies.RemoveExpired();
  std::vector<TNetCookie*> chosen;
  {
    // Writing: the chosen cookies' LastAccessed changes.
    auto lock = FCookies.LockCookieList(caReadWrite);
    for (const auto& cookie : lock.List()) {
      if (cookie->IsAllowed(uri, secureOnly))
        chosen.push_back(cookie.get());
    }
    if (chosen.empty())
      return;
    std::stable_sort(chosen.begin(), chosen.end(), [](const TNetCookie* a, const TNetCookie* b) {
      if (a->Path.size() != b->Path.size())
        return a->Path.size() > b->Path.size();
      return a->CreatedAt < b->CreatedAt;
    });
    const double now = Now();
    std::u16string line;
    for (TNetCookie* cookie : chosen) {
      cookie->LastAccessed = now;
      if (!line.empty())
        line += u"; ";
      line += cookie->ClientCookie();
    }
    headers.AddValue(u"Cookie", line);
  }
}

void TNetCookieManager::AddCookies(TNetCookieManager& source) {
  if (&source == this)
    return;
  std::vector<TNetCookie> copies;
  {
    auto lock = source.FCookies.LockCookieList(caRead);
    for (const auto& cookie : lock.List())
      copies.push_back(*cookie);
  }
  auto lock = FCookies.LockCookieList(caReadWrite);
  for (auto& copy : copies)
    lock.List().push_back(std::make_unique<TNetCookie>(std::move(copy)));
}

}  // namespace vornel
