// Characters at which the label's text is cut into words.
#pragma once

#include <cstddef>
#include <string_view>

namespace vornel {

class TCharUtils {
 public:
  // The CJK ideograph ranges U+3400..U+4DBF, U+4E00..U+9FFF and U+F900..U+FAFF.
  static bool IsCJKChar(char16_t c) {
    return (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) ||
           (c >= 0xF900 && c <= 0xFAFF);
  }
  // The space, "/", "<", ">", the backslash and every CJK ideograph.
  static bool IsWordBreakChar(char16_t c) {
    return c == u' ' || c == u'/' || c == u'<' || c == u'>' || c == u'\\' || IsCJKChar(c);
  }
  // The 1-based position of the first word-break character, 0 if none.
  static std::size_t FindNextWordBreakChar(std::u16string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (IsWordBreakChar(text[i])) {
        return i + 1;
      }
    }
    return 0;
  }
};

}  // namespace vornel
