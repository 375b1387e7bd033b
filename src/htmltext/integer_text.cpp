#include "htmltext/integer_text.h"

namespace vornel {

std::optional<std::int64_t> ParseInteger(std::u16string_view text, bool allowHex) {
  if (allowHex && !text.empty() && text[0] == u'$') {
    text.remove_prefix(1);
    if (text.empty() || text.size() > 8) {
      return std::nullopt;
    }
    std::int64_t value = 0;
    for (char16_t c : text) {
      int digit;
      if (c >= u'0' && c <= u'9') {
        digit = c - u'0';
      } else if (c >= u'a' && c <= u'f') {
        digit = c - u'a' + 10;
      } else if (c >= u'A' && c <= u'F') {
        digit = c - u'A' + 10;
      } else {
        return std::nullopt;
      }
      value = value * 16 + digit;
    }
    return value;
  }
  bool negative = false;
  if (!text.empty() && (text[0] == u'-' || text[0] == u'+')) {
    negative = text[0] == u'-';
    text.remove_prefix(1);
  }
  if (text.empty()) {
    return std::nullopt;
  }
  std::int64_t value = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') {
      return std::nullopt;
    }
    value = value * 10 + (c - u'0');
    if (value > 2147483648LL) {
      return std::nullopt;
    }
  }
  if (negative) {
    value = -value;
  }
  if (value > 2147483647LL) {
    return std::nullopt;
  }
  return value;
}

}  // namespace vornel
