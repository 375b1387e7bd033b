#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "http/cookie_date.h"
#include "local_zone.h"
#include "platform/clock.h"

namespace vornel {
namespace {

class CookieDateTest : public ::testing::Test {
 protected:
  // UTC as the local zone, so a date reads as it stands.
  void SetUp() override { ASSERT_TRUE(test::UseLocalZone("UTC")); }
  void TearDown() override { test::ForgetLocalZone(); }
};

TEST_F(CookieDateTest, FormsServersSend) {
  const double expected = EncodeDateTime(1994, 11, 6, 8, 49, 37);
  for (const char16_t* text : {
           u"Sun, 06 Nov 1994 08:49:37 GMT",    // RFC 6265 and RFC 7231
           u"Sunday, 06-Nov-94 08:49:37 GMT",   // RFC 850
           u"Sun Nov  6 08:49:37 1994",         // asctime
           u"Sun, 06-Nov-1994 08:49:37 GMT",    // Netscape's original form
           u"06 nov 1994 8:49:37",              // parts in any case, one-digit hour
           u"Sun, 06 Nov 1994 08:49:37 +0000",  // a zone offset after the seconds
       }) {
    const auto date = ParseCookieDate(text);
    ASSERT_TRUE(date.has_value()) << std::string(text,
                                                 text + std::char_traits<char16_t>::length(text));
    EXPECT_NEAR(*date, expected, 1e-9);
  }
}

TEST_F(CookieDateTest, TwoDigitYears) {
  EXPECT_NEAR(*ParseCookieDate(u"01 Jan 69 00:00:00"), EncodeDateTime(2069, 1, 1, 0, 0, 0), 1e-9);
  EXPECT_NEAR(*ParseCookieDate(u"01 Jan 70 00:00:00"), EncodeDateTime(1970, 1, 1, 0, 0, 0), 1e-9);
}

// A date is kept as local time: in Prague, an hour ahead of GMT in winter.
// (Under Wine the entry http_cookie_tests.prague runs this in that zone.)
TEST(CookieDateZoneTest, GmtDatesAreKeptInLocalTime) {
  if (!test::UseLocalZone("Europe/Prague"))
    GTEST_SKIP() << "started in another zone than Europe/Prague";
  EXPECT_NEAR(*ParseCookieDate(u"Fri, 01 Jan 2021 00:00:00 GMT"),
              EncodeDateTime(2021, 1, 1, 1, 0, 0), 1e-9);
  EXPECT_NEAR(*ParseCookieDate(u"Thu, 01 Jul 2021 00:00:00 GMT"),
              EncodeDateTime(2021, 7, 1, 2, 0, 0), 1e-9);
  test::ForgetLocalZone();
}

TEST_F(CookieDateTest, TextsThatAreNoDate) {
  for (const char16_t* text :
       {u"", u"garbage", u"Sun, 06 Nov 1994", u"30 Feb 2021 10:00:00", u"06 Nov 1600 08:49:37",
        u"06 Nov 1994 24:00:00", u"06 Xyz 1994 08:49:37"}) {
    EXPECT_FALSE(ParseCookieDate(text).has_value())
        << std::string(text, text + std::char_traits<char16_t>::length(text));
  }
}

}  // namespace
}  // namespace vornel
