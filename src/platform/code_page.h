// ANSI and OEM code pages, chosen from the user's locale, and conversions between
// code pages and UTF-16 through iconv.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/bytes.h"

namespace vornel {

inline constexpr int CP_UTF8 = 65001;

struct TCodePages {
  int Ansi;
  int Oem;
};

// The pair for a locale name ("cs_CZ.UTF-8", "de", "C", "POSIX", empty).
TCodePages CodePagesForLocale(std::string_view localeName);
// From LC_ALL, LC_CTYPE, LANG (the first that is set and not empty).
TCodePages UserCodePages();
int AnsiCodePage();
int OemCodePage();

// Bytes of a code page to UTF-16; a byte or sequence without a character becomes
// U+FFFD. An unknown code page decodes each byte as the character of its number.
std::u16string DecodeCodePage(int codePage, const std::uint8_t* data, std::size_t size);
std::u16string DecodeCodePage(int codePage, const TBytes& bytes);
// UTF-16 to a code page; a character the page lacks becomes "?".
TBytes EncodeCodePage(int codePage, std::u16string_view text);

}  // namespace vornel
