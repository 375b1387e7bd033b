// A label's lines text, as the view reads and sets it: the lines joined with CR LF
// after each line, and split at every line break (CR LF, LF or CR). (The label's
// own text has no break after its last line.)
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vornel {

std::vector<std::u16string> SplitLinesText(std::u16string_view text);
std::u16string LinesText(const std::vector<std::u16string>& lines);

}  // namespace vornel
