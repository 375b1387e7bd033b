// UTF-16 texts of the system as the wide-character interfaces take them (wchar_t
// is 16 bits here), for the Windows implementations of the platform only.
#pragma once

#include <string>
#include <string_view>

namespace vornel {

inline const wchar_t* Wide(const std::u16string& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

inline std::u16string FromWide(const wchar_t* text, std::size_t length) {
  return std::u16string(reinterpret_cast<const char16_t*>(text), length);
}

inline std::u16string FromWide(const wchar_t* text) {
  return FromWide(text, std::char_traits<wchar_t>::length(text));
}

}  // namespace vornel
