// A label laid out against the fixed measuring surface: with font size 10 every
// character is 10 pixels wide (11 when bold) and every line 20 pixels high.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "htmltext/fixed_text_surface.h"
#include "htmltext/label.h"
#include "platform/text.h"

namespace vornel {

class TFixedLabel : public TQxLabel {
 public:
  TFixedLabel() : TQxLabel(FSurface) {
    Settings.Font.Name = u"Fixed";
    Settings.Font.Size = 10;
  }

  void Show(std::vector<std::u16string> lines, std::int64_t width = 1000,
            std::int64_t height = 500) {
    Lines = std::move(lines);
    SetSize(width, height);
    Rebuild();
  }

 private:
  TFixedTextSurface FSurface;
};

// A shown word and its rectangle.
struct TWordBox {
  std::string Text;
  std::int64_t Left, Top, Right, Bottom;
  bool operator==(const TWordBox&) const = default;
};

inline void PrintTo(const TWordBox& w, std::ostream* os) {
  *os << '"' << w.Text << "\" (" << w.Left << ',' << w.Top << ',' << w.Right << ',' << w.Bottom
      << ')';
}

inline std::vector<TWordBox> Words(const TQxLabel& label) {
  std::vector<TWordBox> out;
  for (const auto& item : label.VisualItems()) {
    if (const auto* word = dynamic_cast<const TQxVisualItem_Word*>(item.get())) {
      const TRect64& r = word->Rect;
      out.push_back({ToUtf8(word->Text), r.Left, r.Top, r.Right, r.Bottom});
    }
  }
  return out;
}

inline const TQxVisualItem_Word* FindWord(const TQxLabel& label, std::u16string_view text) {
  for (const auto& item : label.VisualItems()) {
    if (const auto* word = dynamic_cast<const TQxVisualItem_Word*>(item.get())) {
      if (word->Text == text) {
        return word;
      }
    }
  }
  return nullptr;
}

}  // namespace vornel
