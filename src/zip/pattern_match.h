// Matching stored names against file masks ("*.txt", "docs\*.*", "a*;b*").
#pragma once

#include <string>
#include <string_view>

#include "zip/zip_item.h"

namespace vornel {

// '?' is one character, '*' any run (shortest first); "*" and "*.*" match any
// non-empty text; an empty text matches only an empty pattern.
bool ArPatternMatch(std::u16string_view s, std::u16string_view pattern);

// Upper-cases both (ASCII letters); when the mask has a path part, the name's
// path part must match it; the name parts must match.
bool ArFileMatch(std::u16string_view name, std::u16string_view mask);

// One mask against the item's stored name (separators '/' or '\').
bool MatchesStoredName(const TArArchiveItem& item, std::u16string_view mask);
// A mask text of parts joined by ';', each trimmed; an empty text matches nothing.
bool MatchesStoredNameEx(const TArArchiveItem& item, std::u16string_view masks);

}  // namespace vornel
