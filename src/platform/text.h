// Text of the system: UTF-16 in std::u16string; UTF-8 only at the operating
// system's boundary (paths, environment, the shell).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vornel {

// UTF-16 to UTF-8. An unpaired surrogate becomes U+FFFD.
std::string ToUtf8(std::u16string_view text);

// UTF-8 to UTF-16. Every malformed sequence (overlong forms, surrogates, values
// above U+10FFFF, cut sequences) becomes one U+FFFD.
std::u16string FromUtf8(std::string_view text);

// Only 'a'..'z' and 'A'..'Z' change.
std::u16string AsciiUpperCase(std::u16string_view text);
std::u16string AsciiLowerCase(std::u16string_view text);
bool SameTextAscii(std::u16string_view a, std::u16string_view b);

// Blanks and control characters (code units up to U+0020) at both ends go.
std::u16string Trim(std::u16string_view text);
std::u16string TrimLeft(std::u16string_view text);
std::u16string TrimRight(std::u16string_view text);

// Decimal text of a number.
std::u16string IntToText(std::int64_t value);

}  // namespace vornel
