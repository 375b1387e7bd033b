#include "htmltext/label_text.h"

namespace vornel {

std::u16string JoinLines(const std::vector<std::u16string>& lines) {
  std::u16string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) {
      text += u"\r\n";
    }
    text += lines[i];
  }
  return text;
}

std::vector<std::u16string> SplitLines(std::u16string_view text) {
  std::vector<std::u16string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = start;
    while (end < text.size() && text[end] != u'\r' && text[end] != u'\n') {
      ++end;
    }
    lines.emplace_back(text.substr(start, end - start));
    if (end < text.size() && text[end] == u'\r' && end + 1 < text.size() &&
        text[end + 1] == u'\n') {
      ++end;
    }
    start = end + 1;
  }
  return lines;
}

}  // namespace vornel
