// Charsets of HTTP bodies: the default of a media type and decoding bytes by name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/bytes.h"

namespace vornel {

// The media type of a "Content-Type" value ("text/html" of "text/html; charset=x"),
// trimmed, as written.
std::u16string MediaTypeOf(std::u16string_view contentType);
// "text/..." → "us-ascii" for xml, xml-external-parsed-entity and "+xml" subtypes,
// "ISO-8859-1" for every other text; empty for other types.
std::u16string DefaultCharSetOf(std::u16string_view mediaType);
// Bytes decoded with the named charset; an empty or unknown name maps each byte to
// the character of the same number.
std::u16string DecodeWithCharSet(std::u16string_view charset, const std::uint8_t* data,
                                 std::size_t size);
// Text encoded with the named charset; a character the charset lacks becomes "?".
// An empty or unknown name encodes as ISO-8859-1, the inverse of the decoding.
TBytes EncodeWithCharSet(std::u16string_view charset, std::u16string_view text);

}  // namespace vornel
