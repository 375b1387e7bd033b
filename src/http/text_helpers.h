// Small text operations shared by the HTTP client's parsers: searching without
// regard to ASCII case and reading numbers that may be malformed (trimming is in
// platform/text.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vornel::http_text {

inline constexpr std::size_t npos = std::u16string_view::npos;

// Position of the first `what` in `text` without regard to ASCII case, or npos.
std::size_t FindNoCase(std::u16string_view text, std::u16string_view what);
bool ContainsNoCase(std::u16string_view text, std::u16string_view what);
bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix);
bool EndsWithNoCase(std::u16string_view text, std::u16string_view suffix);

// Decimal text (an optional sign, then digits only) as a signed 64-bit number;
// nothing when it is empty, malformed or out of range.
std::optional<std::int64_t> ParseInt64(std::u16string_view text);
// Hexadecimal digits only; nothing when empty or malformed. Values above
// 2147483647 come out as 2147483648, so a caller can tell them apart.
std::optional<std::int64_t> ParseHex(std::u16string_view text);

// Only ASCII text is expected here; other code units become "?".
std::string ToAscii(std::u16string_view text);
std::u16string FromAscii(std::string_view text);

// Cuts `text` at the first `delimiter`: returns what stands before it and leaves
// what follows in `text` (all of it is returned and `text` emptied when absent).
std::u16string Fetch(std::u16string& text, std::u16string_view delimiter);

}  // namespace vornel::http_text
