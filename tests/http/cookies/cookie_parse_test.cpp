#include <gtest/gtest.h>

#include <string>

#include "http/cookie.h"
#include "http/uri.h"
#include "platform/clock.h"
#include "platform/text.h"

namespace vornel {
namespace {

constexpr double kSecond = 1.0 / 86400.0;

enum TExpiry { exNever, exInSeconds, exPast, exDate };

struct TParseCase {
  const char16_t* SetCookie;
  const char16_t* Url;
  bool Accepted;
  const char16_t* Domain = u"";
  bool HostOnly = false;
  const char16_t* Path = u"";
  const char16_t* Value = u"";
  TExpiry Expiry = exNever;
  double Seconds = 0;  // exInSeconds: from now; exDate: the local date
  bool Secure = false;
  bool HttpOnly = false;
};

std::string Narrow(const char16_t* text) {
  return ToUtf8(text);
}

TEST(CookieParseTest, ServerCookiesAsTheRulesReadThem) {
  const char16_t* kInstaller = u"https://www.vornel.cz/QRTX/Instalace/Tarvo2021_2021K1.zip";
  const TParseCase cases[] = {
      // The installer's own case: host-only, default path, not persistent.
      {u"a=1", kInstaller, true, u"www.vornel.cz", true, u"/QRTX/Instalace", u"1"},
      {u" a = 1 ; ", kInstaller, true, u"www.vornel.cz", true, u"/QRTX/Instalace", u"1"},
      {u"a=1; Domain=.Vornel.CZ", kInstaller, true, u"vornel.cz", false, u"/QRTX/Instalace", u"1"},
      {u"a=1; Domain=vornel.cz:443", kInstaller, true, u"vornel.cz", false, u"/QRTX/Instalace",
       u"1"},
      {u"a=1; Domain=", kInstaller, true, u"www.vornel.cz", true, u"/QRTX/Instalace", u"1"},
      {u"a=1; Domain=other.cz", kInstaller, false},
      {u"a=1; Domain=nel.cz", kInstaller, false},  // a suffix, but not at a dot
      {u"a=1; Domain=0.0.1", u"http://10.0.0.1/x/", false},
      {u"a=1; Domain=10.0.0.1", u"http://10.0.0.1/x/", true, u"10.0.0.1", false, u"/x", u"1"},
      {u"a=1; Path=/docs", kInstaller, true, u"www.vornel.cz", true, u"/docs", u"1"},
      {u"a=1; Path=docs", kInstaller, true, u"www.vornel.cz", true, u"/QRTX/Instalace", u"1"},
      {u"a=1; Path=/x; Path=/y", kInstaller, true, u"www.vornel.cz", true, u"/y", u"1"},
      {u"a=1", u"https://www.vornel.cz/", true, u"www.vornel.cz", true, u"/", u"1"},
      {u"a=\"x y\"", kInstaller, true, u"www.vornel.cz", true, u"/QRTX/Instalace", u"x y"},
      {u"a=\"x y", kInstaller, true, u"www.vornel.cz", true, u"/QRTX/Instalace", u"x y"},
      {u"a=", kInstaller, true, u"www.vornel.cz", true, u"/QRTX/Instalace", u""},
      {u"novalue; a=1", kInstaller, false},
      {u"=1", kInstaller, false},
      {u"a=1; Secure; HttpOnly", kInstaller, true, u"www.vornel.cz", true, u"/QRTX/Instalace", u"1",
       exNever, 0, true, true},
      {u"a=1; HttpOnly", u"ftp://www.vornel.cz/x/", false},
      // Max-Age wins over Expires in either order; the last Max-Age counts.
      {u"a=1; Max-Age=60; Expires=Wed, 09 Jun 2021 10:18:14 GMT", kInstaller, true,
       u"www.vornel.cz", true, u"/QRTX/Instalace", u"1", exInSeconds, 60},
      {u"a=1; Expires=Wed, 09 Jun 2021 10:18:14 GMT; Max-Age=60", kInstaller, true,
       u"www.vornel.cz", true, u"/QRTX/Instalace", u"1", exInSeconds, 60},
      {u"a=1; Max-Age=10; Max-Age=100", kInstaller, true, u"www.vornel.cz", true,
       u"/QRTX/Instalace", u"1", exInSeconds, 100},
      {u"a=1; Max-Age=soon", kInstaller, true, u"www.vornel.cz", true, u"/QRTX/Instalace", u"1"},
      {u"a=1; Expires=3600", kInstaller, true, u"www.vornel.cz", true, u"/QRTX/Instalace", u"1",
       exInSeconds, 3600},
      {u"a=1; Max-Age=-1", kInstaller, true, u"www.vornel.cz", true, u"/QRTX/Instalace", u"1",
       exPast},
      {u"a=1; Expires=garbage", kInstaller, true, u"www.vornel.cz", true, u"/QRTX/Instalace", u"1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Narrow(c.SetCookie) + " for " + Narrow(c.Url));
    TNetCookie cookie;
    const double before = Now();
    ASSERT_EQ(cookie.ParseServerCookie(c.SetCookie, TNetURI(c.Url)), c.Accepted);
    if (!c.Accepted)
      continue;
    EXPECT_EQ(cookie.Name, u"a");
    EXPECT_EQ(cookie.Value, c.Value);
    EXPECT_EQ(cookie.Domain, c.Domain);
    EXPECT_EQ(cookie.HostOnly, c.HostOnly);
    EXPECT_EQ(cookie.Path, c.Path);
    EXPECT_EQ(cookie.Secure, c.Secure);
    EXPECT_EQ(cookie.HttpOnly, c.HttpOnly);
    EXPECT_EQ(cookie.Persistent, c.Expiry != exNever);
    switch (c.Expiry) {
      case exNever:
        EXPECT_EQ(cookie.Expires, CookieMaxDate());
        break;
      case exInSeconds:
        EXPECT_GE(cookie.Expires, before + (c.Seconds - 1) * kSecond);
        EXPECT_LE(cookie.Expires, Now() + (c.Seconds + 1) * kSecond);
        break;
      case exPast:
        EXPECT_TRUE(cookie.IsExpired(Now()));
        break;
      case exDate:
        EXPECT_DOUBLE_EQ(cookie.Expires, c.Seconds);
        break;
    }
  }
}

TEST(CookieParseTest, ExpiresReadsACookieDate) {
  TNetCookie cookie;
  ASSERT_TRUE(cookie.ParseServerCookie(u"a=1; Expires=Thu, 01 Jan 2037 00:00:00 GMT",
                                       TNetURI(u"https://www.vornel.cz/x/")));
  EXPECT_TRUE(cookie.Persistent);
  EXPECT_NEAR(cookie.Expires, UnixToLocalDateTime(2114380800), 1e-9);
}

TEST(CookieMatchTest, DomainsAndPaths) {
  struct {
    const char16_t* host;
    const char16_t* domain;
    bool match;
  } domains[] = {
      {u"www.vornel.cz", u"vornel.cz", true},
      {u"WWW.Vornel.cz", u"vornel.CZ", true},
      {u"vornel.cz", u"vornel.cz", true},
      {u"avornel.cz", u"vornel.cz", false},
      {u"10.0.0.1", u"0.0.1", false},
      {u"10.0.0.1", u"10.0.0.1", true},
      {u"::1", u":1", false},
      {u".vornel.cz", u"vornel.cz", false},
      {u"", u"vornel.cz", false},
      {u"vornel.cz", u"", false},
  };
  for (const auto& d : domains) {
    EXPECT_EQ(CookieDomainMatches(d.host, d.domain), d.match)
        << Narrow(d.host) << " " << Narrow(d.domain);
  }
  struct {
    const char16_t* request;
    const char16_t* cookie;
    bool match;
  } paths[] = {
      {u"/a/", u"/a", true}, {u"/a/b/", u"/a", true},     {u"/ab/", u"/a", false},
      {u"/A/", u"/a", true}, {u"/a/b/", u"/a/", true},    {u"/a", u"/a", true},
      {u"/", u"/a", false},  {u"/anything/", u"/", true},
  };
  for (const auto& p : paths) {
    EXPECT_EQ(CookiePathMatches(p.request, p.cookie), p.match)
        << Narrow(p.request) << " " << Narrow(p.cookie);
  }
  EXPECT_EQ(CookieDefaultPath(u"/QRTX/Instalace/"), u"/QRTX/Instalace");
  EXPECT_EQ(CookieDefaultPath(u"/"), u"/");
  EXPECT_EQ(CookieDefaultPath(u""), u"/");
  EXPECT_EQ(CookieDefaultPath(u"/a"), u"/");
}

}  // namespace
}  // namespace vornel
