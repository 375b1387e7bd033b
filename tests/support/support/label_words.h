// Whether a label's last layout shows a word, on either window system.
#pragma once

#include <string_view>

#include "htmltext/visual_item.h"

namespace vornel::testing {

template <class TLabel>
bool ShowsWord(const TLabel& label, std::u16string_view text) {
  for (const auto& item : label.VisualItems()) {
    const auto* word = dynamic_cast<const TQxVisualItem_Word*>(item.get());
    if (word != nullptr && word->Text == text) {
      return true;
    }
  }
  return false;
}

}  // namespace vornel::testing
