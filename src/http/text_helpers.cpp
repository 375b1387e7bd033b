#include "http/text_helpers.h"

#include <algorithm>
#include <limits>

#include "platform/text.h"

namespace vornel::http_text {

namespace {

int HexValue(char16_t c) {
  if (c >= u'0' && c <= u'9')
    return c - u'0';
  if (c >= u'a' && c <= u'f')
    return c - u'a' + 10;
  if (c >= u'A' && c <= u'F')
    return c - u'A' + 10;
  return -1;
}

}  // namespace

std::size_t FindNoCase(std::u16string_view text, std::u16string_view what) {
  if (what.size() > text.size())
    return npos;
  for (std::size_t i = 0; i + what.size() <= text.size(); ++i) {
    if (SameTextAscii(text.substr(i, what.size()), what))
      return i;
  }
  return npos;
}

bool ContainsNoCase(std::u16string_view text, std::u16string_view what) {
  return FindNoCase(text, what) != npos;
}

bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix) {
  return text.size() >= prefix.size() && SameTextAscii(text.substr(0, prefix.size()), prefix);
}

bool EndsWithNoCase(std::u16string_view text, std::u16string_view suffix) {
  return text.size() >= suffix.size() &&
         SameTextAscii(text.substr(text.size() - suffix.size()), suffix);
}

std::optional<std::int64_t> ParseInt64(std::u16string_view text) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
    negative = text[i] == u'-';
    ++i;
  }
  if (i == text.size())
    return std::nullopt;
  // Accumulate as a negative number so that the minimum value fits.
  std::int64_t value = 0;
  constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
  for (; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c < u'0' || c > u'9')
      return std::nullopt;
    const int digit = c - u'0';
    if (value < (kMin + digit) / 10)
      return std::nullopt;
    value = value * 10 - digit;
  }
  if (!negative) {
    if (value == kMin)
      return std::nullopt;
    value = -value;
  }
  return value;
}

std::optional<std::int64_t> ParseHex(std::u16string_view text) {
  if (text.empty())
    return std::nullopt;
  constexpr std::int64_t kAbove = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  std::int64_t value = 0;
  for (char16_t c : text) {
    const int digit = HexValue(c);
    if (digit < 0)
      return std::nullopt;
    value = std::min(value * 16 + digit, kAbove);
  }
  return value;
}

std::string ToAscii(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char16_t c : text)
    out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  return out;
}

std::u16string FromAscii(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (char c : text)
    out.push_back(static_cast<unsigned char>(c));
  return out;
}

std::u16string Fetch(std::u16string& text, std::u16string_view delimiter) {
  const std::size_t at = text.find(delimiter);
  if (at == std::u16string::npos) {
    std::u16string all = std::move(text);
    text.clear();
    return all;
  }
  std::u16string head = text.substr(0, at);
  text.erase(0, at + delimiter.size());
  return head;
}

}  // namespace vornel::http_text
