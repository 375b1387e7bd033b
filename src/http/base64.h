// The standard base64 alphabet with "=" padding, as authentication headers carry it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/bytes.h"

namespace vornel {

std::u16string Base64Encode(const TBytes& bytes);
// Nothing when the text holds a character outside the alphabet or is cut short;
// blanks around it are ignored.
std::optional<TBytes> Base64Decode(std::u16string_view text);

}  // namespace vornel
