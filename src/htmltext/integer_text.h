// Integer parameters of the markup.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace vornel {

// A 32-bit signed integer: an optional sign and decimal digits, or with allowHex
// "$" and hexadecimal digits (read as an unsigned 32-bit pattern). Nothing else
// is accepted: no spaces, no empty digits, no values out of range.
std::optional<std::int64_t> ParseInteger(std::u16string_view text, bool allowHex = false);

}  // namespace vornel
