// Through the C library's Unicode locale (C.UTF-8, part of every glibc system),
// not through the process's own locale, whose case table is ASCII's alone in "C".
#include "platform/upper_case.h"

#include <locale.h>
#include <wctype.h>

#include <cstdint>

namespace vornel {

namespace {

locale_t UnicodeLocale() {
  static const locale_t locale = [] {
    locale_t made = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    return made ? made : newlocale(LC_CTYPE_MASK, "C", static_cast<locale_t>(0));
  }();
  return locale;
}

}  // namespace

char16_t UpperCaseUnit(char16_t c) {
  if (c < 0x80)
    return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
  if (c >= 0xD800 && c <= 0xDFFF)
    return c;
  const std::uint32_t upper = towupper_l(static_cast<wint_t>(c), UnicodeLocale());
  return upper <= 0xFFFF ? static_cast<char16_t>(upper) : c;
}

}  // namespace vornel
