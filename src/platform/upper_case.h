// Upper case of one UTF-16 code unit by the Unicode simple case mapping, the same
// whatever the user's locale is. Surrogates and units whose upper case lies
// outside the BMP stay as they are.
#pragma once

namespace vornel {

char16_t UpperCaseUnit(char16_t c);

}  // namespace vornel
