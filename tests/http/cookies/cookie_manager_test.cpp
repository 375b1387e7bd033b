#include <gtest/gtest.h>

#include <string>

#include "http/cookie_manager.h"
#include "http/header_list.h"
#include "http/uri.h"

namespace vornel {
namespace {

// The "Cookie" value a manager sends for a URL, empty when it sends no line.
std::u16string CookieLine(TNetCookieManager& manager, const char16_t* url, bool secure = false) {
  TNetHeaderList headers;
  manager.GenerateClientCookies(TNetURI(url), secure, headers);
  EXPECT_LE(headers.Count(), 1u);
  return headers.Value(u"Cookie");
}

TEST(CookieManagerTest, LongerPathsFirstThenOlderCookies) {
  TNetCookieManager manager;
  const TNetURI uri(u"http://h.cz/a/b/c.html");
  ASSERT_TRUE(manager.AddServerCookie(u"short=1; Path=/a", uri));
  ASSERT_TRUE(manager.AddServerCookie(u"long=2; Path=/a/b", uri));
  ASSERT_TRUE(manager.AddServerCookie(u"second=3; Path=/a", uri));
  EXPECT_EQ(CookieLine(manager, u"http://h.cz/a/b/"), u"long=2; short=1; second=3");
  EXPECT_EQ(CookieLine(manager, u"http://h.cz/a/"), u"short=1; second=3");
  EXPECT_EQ(CookieLine(manager, u"http://h.cz/ab/"), u"");
  EXPECT_EQ(CookieLine(manager, u"http://other.cz/a/b/"), u"");
}

TEST(CookieManagerTest, SecureCookiesOnlyWhenAskedFor) {
  TNetCookieManager manager;
  ASSERT_TRUE(manager.AddServerCookie(u"s=1; Secure", TNetURI(u"https://h.cz/")));
  EXPECT_EQ(CookieLine(manager, u"http://h.cz/"), u"");
  EXPECT_EQ(CookieLine(manager, u"https://h.cz/", true), u"s=1");
}

TEST(CookieManagerTest, HostOnlyAndDomainCookies) {
  TNetCookieManager manager;
  ASSERT_TRUE(manager.AddServerCookie(u"host=1", TNetURI(u"http://www.h.cz/")));
  ASSERT_TRUE(manager.AddServerCookie(u"dom=2; Domain=h.cz", TNetURI(u"http://www.h.cz/")));
  EXPECT_EQ(CookieLine(manager, u"http://www.h.cz/"), u"host=1; dom=2");
  EXPECT_EQ(CookieLine(manager, u"http://shop.h.cz/"), u"dom=2");
}

TEST(CookieManagerTest, TwinsAreReplacedKeepingTheirAgeAndDeletedByExpiry) {
  TNetCookieManager manager;
  const TNetURI uri(u"http://h.cz/x/");
  ASSERT_TRUE(manager.AddServerCookie(u"a=1", uri));
  ASSERT_TRUE(manager.AddServerCookie(u"b=2", uri));
  const double created = manager.CookieCollection().At(0).CreatedAt;
  ASSERT_TRUE(
      manager.AddServerCookie(u"A=3; Path=/X", uri));  // the same name and path without case
  ASSERT_EQ(manager.CookieCollection().Count(), 2u);
  EXPECT_EQ(manager.CookieCollection().At(1).Value, u"3");
  EXPECT_EQ(manager.CookieCollection().At(1).CreatedAt, created);
  // Expiring at once: not stored, and its stored twin is gone.
  EXPECT_FALSE(manager.AddServerCookie(u"b=gone; Max-Age=-1", uri));
  ASSERT_EQ(manager.CookieCollection().Count(), 1u);
  EXPECT_EQ(CookieLine(manager, u"http://h.cz/x/"), u"A=3");
}

TEST(CookieManagerTest, AnHttpOnlyTwinIsKeptAgainstOtherProtocols) {
  TNetCookieManager manager;
  ASSERT_TRUE(manager.AddServerCookie(u"a=1; HttpOnly; Path=/", TNetURI(u"http://h.cz/")));
  EXPECT_FALSE(manager.AddServerCookie(u"a=2; Path=/", TNetURI(u"ftp://h.cz/")));
  EXPECT_EQ(manager.CookieCollection().At(0).Value, u"1");
}

TEST(CookieManagerTest, EventsAndCopies) {
  bool created = false, destroyed = false;
  {
    TNetCookieManager manager([&](TNetCookieManager&) { created = true; });
    manager.OnDestroy = [&](TNetCookieManager& m) {
      destroyed = true;
      EXPECT_EQ(m.CookieCollection().Count(), 1u) << "expired cookies go before the event";
    };
    manager.OnNewCookie = [](TNetCookieManager&, TNetCookie& cookie, bool& accept) {
      accept = cookie.Name != u"refused";
    };
    const TNetURI uri(u"http://h.cz/");
    EXPECT_FALSE(manager.AddServerCookie(u"refused=1", uri));
    EXPECT_TRUE(manager.AddServerCookie(u"kept=1", uri));

    TNetCookieManager copy;
    copy.AddCookies(manager);
    EXPECT_EQ(CookieLine(copy, u"http://h.cz/"), u"kept=1");
  }
  EXPECT_TRUE(created);
  EXPECT_TRUE(destroyed);
}

TEST(CookieManagerTest, TheLineIsAddedBesideAnExistingOne) {
  TNetCookieManager manager;
  ASSERT_TRUE(manager.AddServerCookie(u"a=1", TNetURI(u"http://h.cz/")));
  TNetHeaderList headers;
  headers.AddValue(u"Cookie", u"own=0");
  manager.GenerateClientCookies(TNetURI(u"http://h.cz/"), false, headers);
  ASSERT_EQ(headers.Count(), 2u);
  EXPECT_EQ(headers.Values(u"Cookie").back(), u"a=1");
}

}  // namespace
}  // namespace vornel
