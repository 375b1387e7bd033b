// The tag table of the markup and its parameter conversions.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "htmltext/color.h"
#include "htmltext/token.h"

namespace vornel {

// Converts a tag parameter to a token value; false when the parameter is invalid.
using TProcValue = bool (*)(std::u16string_view text, const TSystemColors& colors,
                            std::int64_t& value);

// A decimal integer greater than 0.
bool Tag_IntOneBased_ProcValue(std::u16string_view text, const TSystemColors& colors,
                               std::int64_t& value);
// A decimal integer of 0 or more.
bool Tag_IntZeroBased_ProcValue(std::u16string_view text, const TSystemColors& colors,
                                std::int64_t& value);
// A colour: "#" or "$" with six or eight hexadecimal digits, a colour
// identifier, or a decimal value. clNone is never valid.
bool Tag_Color_ProcValue(std::u16string_view text, const TSystemColors& colors,
                         std::int64_t& value);

struct TDefToken {
  std::u16string_view Ident;  // upper case
  TTokenKind Kind;
  bool Single;       // no closing form
  bool AllowPar;     // the opening form may carry a parameter
  bool OptionalPar;  // the parameter may be left out
  TProcValue ProcValue;
};

extern const std::array<TDefToken, 26> DEF_TOKENS;

// The first row whose name equals the upper-case name, or nullptr.
const TDefToken* FindDefToken(std::u16string_view upperName);

}  // namespace vornel
