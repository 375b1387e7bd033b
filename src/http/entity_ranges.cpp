#include "http/entity_ranges.h"

#include "http/text_helpers.h"
#include "platform/text.h"

namespace vornel {

std::u16string TNetEntityRange::Text() const {
  if (StartPos >= 0) {
    return IntToText(StartPos) + u"-" + (EndPos >= 0 ? IntToText(EndPos) : std::u16string());
  }
  if (SuffixLength >= 0)
    return u"-" + IntToText(SuffixLength);
  return {};
}

void TNetEntityRanges::SetUnits(const std::u16string& units) {
  const std::u16string trimmed = Trim(units);
  FUnits = trimmed.empty() ? u"bytes" : trimmed;
}

std::u16string TNetEntityRanges::Text() const {
  std::u16string list;
  for (const TNetEntityRange& range : Items) {
    const std::u16string text = range.Text();
    if (text.empty())
      continue;
    if (!list.empty())
      list += u',';
    list += text;
  }
  return list.empty() ? list : FUnits + u"=" + list;
}

}  // namespace vornel
