// Showing plain text literally in the markup, and back.
#pragma once

#include <string>
#include <string_view>

namespace vornel {

// "&" to "&amp;", then "<" to "&lt;", then ">" to "&gt;".
std::u16string EscapeTextToHTML(std::u16string_view text);

// "&lt;" to "<", then "&gt;" to ">", then "&amp;" to "&", each over the whole text.
std::u16string UnescapeHTMLToText(std::u16string_view html);

}  // namespace vornel
