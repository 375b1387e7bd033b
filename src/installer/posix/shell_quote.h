// Quoting for the shell that runs the self-delete script.
#pragma once

#include <string>
#include <string_view>

namespace vornel {

// One word for the shell, whatever the text holds: in single quotes, an embedded
// single quote written as '\''.
std::u16string ShellQuote(std::u16string_view text);

}  // namespace vornel
