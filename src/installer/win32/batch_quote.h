// Quoting for the command interpreter that runs the self-delete script.
#pragma once

#include <string>
#include <string_view>

namespace vornel {

// One argument of a batch file's command that the interpreter takes literally:
// in double quotes (so &, |, <, >, ^ and spaces are plain characters), each %
// written as %% (so no variable is expanded). The script turns delayed expansion
// off, so ! is plain as well. Raises for a text that quotes cannot hold (a double
// quote or a line end; no file name of Windows has either).
std::u16string BatchQuote(std::u16string_view text);

}  // namespace vornel
