// A label's text as lines: joined with CR LF after each line, split at every
// line break (CR LF, LF or CR).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vornel {

std::vector<std::u16string> SplitLines(std::u16string_view text);
std::u16string JoinLines(const std::vector<std::u16string>& lines);

}  // namespace vornel
