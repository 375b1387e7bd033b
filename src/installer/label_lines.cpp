#include "installer/label_lines.h"

namespace vornel {

std::vector<std::u16string> SplitLinesText(std::u16string_view text) {
  std::vector<std::u16string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = start;
    while (end < text.size() && text[end] != u'\r' && text[end] != u'\n')
      ++end;
    lines.emplace_back(text.substr(start, end - start));
    if (end < text.size()) {
      const bool crlf = text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n';
      end += crlf ? 2 : 1;
    }
    start = end;
  }
  return lines;
}

std::u16string LinesText(const std::vector<std::u16string>& lines) {
  std::u16string text;
  for (const auto& line : lines) {
    text += line;
    text += u"\r\n";
  }
  return text;
}

}  // namespace vornel
