// The path delimiter of this system.
#pragma once

namespace vornel {

inline constexpr char16_t PathDelimiter = u'/';

}  // namespace vornel
