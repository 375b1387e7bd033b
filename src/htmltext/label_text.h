// The label's text as one string: its lines joined with CR LF, and split again.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vornel {

// The lines joined with CR LF, without a break after the last line.
std::u16string JoinLines(const std::vector<std::u16string>& lines);

// The text split at CR LF, LF or CR; a break at the end starts no further line.
std::vector<std::u16string> SplitLines(std::u16string_view text);

}  // namespace vornel
