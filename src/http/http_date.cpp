#include "http/http_date.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <vector>

#include "http/text_helpers.h"
#include "platform/calendar.h"
#include "platform/clock.h"
#include "platform/text.h"

namespace vornel {

namespace {

constexpr std::array<std::u16string_view, 12> kMonths{
    u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun", u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};
// Days from the calendar's day 0 (30 December 1899) to 1 January 1970.
constexpr std::int64_t kUnixEpochDays = 25569;
constexpr std::int64_t kSecondsPerDay = 86400;

constexpr std::array<const char*, 7> kDays{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

// Words of the date: blanks, commas and the dashes of the RFC 850 form separate.
std::vector<std::u16string> Tokens(std::u16string_view text) {
  std::vector<std::u16string> tokens;
  std::u16string current;
  for (char16_t c : text) {
    if (c == u' ' || c == u',' || c == u'-' || c == u'\t') {
      if (!current.empty())
        tokens.push_back(std::move(current));
      current.clear();
    } else {
      current.push_back(c);
    }
  }
  if (!current.empty())
    tokens.push_back(std::move(current));
  return tokens;
}

int MonthOf(std::u16string_view token) {
  if (token.size() != 3)
    return 0;
  for (std::size_t i = 0; i < kMonths.size(); ++i) {
    if (http_text::StartsWithNoCase(token, kMonths[i]))
      return static_cast<int>(i) + 1;
  }
  return 0;
}

bool AllDigits(std::u16string_view token) {
  if (token.empty())
    return false;
  for (char16_t c : token) {
    if (c < u'0' || c > u'9')
      return false;
  }
  return true;
}

bool ParseTime(std::u16string_view token, int& hour, int& minute, int& second) {
  if (token.size() != 8 || token[2] != u':' || token[5] != u':')
    return false;
  auto two = [&](std::size_t at, int& out) {
    if (!AllDigits(token.substr(at, 2)))
      return false;
    out = (token[at] - u'0') * 10 + (token[at + 1] - u'0');
    return true;
  };
  return two(0, hour) && two(3, minute) && two(6, second) && hour < 24 && minute < 60 &&
         second <= 60;
}

}  // namespace

std::optional<double> ParseHTTPDate(std::u16string_view text) {
  int day = -1, month = 0, year = -1, hour = 0, minute = 0, second = 0;
  bool haveTime = false;
  for (const std::u16string& token : Tokens(text)) {
    if (!haveTime && ParseTime(token, hour, minute, second)) {
      haveTime = true;
    } else if (month == 0 && MonthOf(token) != 0) {
      month = MonthOf(token);
    } else if (AllDigits(token) && token.size() <= 2 && day < 0) {
      day = static_cast<int>(*http_text::ParseInt64(token));
    } else if (AllDigits(token) && year < 0 && (token.size() == 2 || token.size() == 4)) {
      year = static_cast<int>(*http_text::ParseInt64(token));
      // The obsolete two-digit years: 00 to 49 are this century's.
      if (token.size() == 2)
        year += year < 50 ? 2000 : 1900;
    }
  }
  if (!haveTime || day < 1 || day > 31 || month == 0 || year < 1601)
    return std::nullopt;
  const std::int64_t days =
      DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) -
      kUnixEpochDays;
  return UnixToLocalDateTime(
      static_cast<std::time_t>(days * kSecondsPerDay + hour * 3600 + minute * 60 + second));
}

std::u16string FormatHTTPDate(double localDateTime) {
  const std::int64_t seconds = LocalDateTimeToUnix(localDateTime);
  // Whole days since 1 January 1970 (a Thursday) and the seconds into the day.
  std::int64_t days = seconds / kSecondsPerDay;
  std::int64_t rest = seconds % kSecondsPerDay;
  if (rest < 0) {
    rest += kSecondsPerDay;
    --days;
  }
  const TCivilDate date = CivilFromDays(days + kUnixEpochDays);
  const int weekday = static_cast<int>(((days + 4) % 7 + 7) % 7);
  char text[48];
  std::snprintf(text, sizeof text, "%s, %02u %s %04lld %02d:%02d:%02d GMT", kDays[weekday],
                date.Day, http_text::ToAscii(kMonths[date.Month - 1]).c_str(),
                static_cast<long long>(date.Year), static_cast<int>(rest / 3600),
                static_cast<int>(rest / 60 % 60), static_cast<int>(rest % 60));
  return http_text::FromAscii(text);
}

}  // namespace vornel
