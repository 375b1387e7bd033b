// What the executable's own path says about the installer, and the placeholder
// of the product texts.
#pragma once

#include <string>
#include <string_view>

namespace vornel {

// The file-name part, with 'a'..'z' upper-cased and the first ".EXE" removed.
std::u16string IdentityOf(std::u16string_view executablePath);

// The title of message boxes: the executable's file name cut before its first dot.
std::u16string ApplicationTitle(std::u16string_view executablePath);

inline constexpr std::u16string_view ProductPlaceholder = u"#PRODUKT#";

// Replaces the first occurrence of what (exact match); text without it stays.
std::u16string ReplaceFirst(std::u16string_view text, std::u16string_view what,
                            std::u16string_view with);

}  // namespace vornel
