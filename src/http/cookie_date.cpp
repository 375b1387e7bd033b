#include "http/cookie_date.h"

#include <array>
#include <cmath>
#include <ctime>

#include "platform/clock.h"

namespace vornel {

namespace {

bool IsDelimiter(char16_t c) {
  return c == 0x09 || (c >= 0x20 && c <= 0x2F) || (c >= 0x3B && c <= 0x40) ||
         (c >= 0x5B && c <= 0x60) || (c >= 0x7B && c <= 0x7E);
}

bool IsDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}

// Leading digits of a token (from 1 to maxDigits of them), as a number.
std::optional<int> LeadingNumber(std::u16string_view token, std::size_t minDigits,
                                 std::size_t maxDigits, std::size_t& used) {
  std::size_t n = 0;
  int value = 0;
  while (n < token.size() && IsDigit(token[n])) {
    if (n == maxDigits)
      return std::nullopt;
    value = value * 10 + (token[n] - u'0');
    ++n;
  }
  if (n < minDigits)
    return std::nullopt;
  used = n;
  return value;
}

// hh:mm:ss, each one or two digits, anything after the seconds allowed.
bool ReadTime(std::u16string_view token, int& hour, int& minute, int& second) {
  std::array<int, 3> parts{};
  std::size_t at = 0;
  for (std::size_t i = 0; i < 3; ++i) {
    std::size_t used = 0;
    const auto value = LeadingNumber(token.substr(at), 1, 2, used);
    if (!value)
      return false;
    parts[i] = *value;
    at += used;
    if (i < 2) {
      if (at >= token.size() || token[at] != u':')
        return false;
      ++at;
    }
  }
  hour = parts[0];
  minute = parts[1];
  second = parts[2];
  return true;
}

int ReadMonth(std::u16string_view token) {
  static constexpr std::array<const char*, 12> kMonths = {"jan", "feb", "mar", "apr", "may", "jun",
                                                          "jul", "aug", "sep", "oct", "nov", "dec"};
  if (token.size() < 3)
    return 0;
  for (std::size_t m = 0; m < kMonths.size(); ++m) {
    bool same = true;
    for (std::size_t i = 0; i < 3; ++i) {
      char16_t c = token[i];
      if (c >= u'A' && c <= u'Z')
        c = static_cast<char16_t>(c + 32);
      if (c != kMonths[m][i])
        same = false;
    }
    if (same)
      return static_cast<int>(m) + 1;
  }
  return 0;
}

int DaysInMonth(int year, int month) {
  static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[static_cast<std::size_t>(month - 1)];
}

}  // namespace

std::optional<double> ParseCookieDate(std::u16string_view text) {
  bool haveTime = false, haveDay = false, haveMonth = false, haveYear = false;
  int hour = 0, minute = 0, second = 0, day = 0, month = 0, year = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && IsDelimiter(text[i]))
      ++i;
    std::size_t end = i;
    while (end < text.size() && !IsDelimiter(text[end]))
      ++end;
    const std::u16string_view token = text.substr(i, end - i);
    i = end;
    if (token.empty())
      continue;
    std::size_t used = 0;
    if (!haveTime && ReadTime(token, hour, minute, second)) {
      haveTime = true;
    } else if (const auto d = LeadingNumber(token, 1, 2, used); !haveDay && d) {
      haveDay = true;
      day = *d;
    } else if (const int m = ReadMonth(token); !haveMonth && m != 0) {
      haveMonth = true;
      month = m;
    } else if (const auto y = LeadingNumber(token, 2, 4, used); !haveYear && y) {
      haveYear = true;
      year = *y;
    }
  }
  if (!haveTime || !haveDay || !haveMonth || !haveYear)
    return std::nullopt;
  if (year >= 70 && year <= 99)
    year += 1900;
  if (year >= 0 && year <= 69)
    year += 2000;
  if (year < 1601 || day < 1 || day > DaysInMonth(year, month) || hour > 23 || minute > 59 ||
      second > 59) {
    return std::nullopt;
  }
  // UTC to local: through seconds of the Unix epoch.
  const double utc = EncodeDateTime(year, month, day, hour, minute, second);
  const auto seconds = static_cast<std::time_t>(std::llround((utc - 25569.0) * 86400.0));
  return UnixToLocalDateTime(seconds);
}

}  // namespace vornel
