#include "http/http_date.h"

#include <gtest/gtest.h>

#include "platform/clock.h"

namespace vornel {
namespace {

TEST(HTTPDate, TheThreeFormsGiveTheSameLocalTime) {
  const double expected = UnixToLocalDateTime(784111777);  // 1994-11-06 08:49:37 UTC
  for (const char16_t* text : {u"Sun, 06 Nov 1994 08:49:37 GMT", u"Sunday, 06-Nov-94 08:49:37 GMT",
                               u"Sun Nov  6 08:49:37 1994"}) {
    const auto value = ParseHTTPDate(text);
    ASSERT_TRUE(value.has_value());
    EXPECT_DOUBLE_EQ(*value, expected);
  }
}

TEST(HTTPDate, RejectsWhatIsNoDate) {
  for (const char16_t* text : {u"", u"0", u"tomorrow", u"Sun, 32 Nov 1994 08:49:37 GMT",
                               u"Sun, 06 Nov 1994 25:00:00 GMT", u"Sun, 06 Nov 1994"}) {
    EXPECT_FALSE(ParseHTTPDate(text).has_value());
  }
}

TEST(HTTPDate, FormatsIMFFixdate) {
  EXPECT_EQ(FormatHTTPDate(UnixToLocalDateTime(784111777)), u"Sun, 06 Nov 1994 08:49:37 GMT");
}

}  // namespace
}  // namespace vornel
