// How the words of a link look, and the look of a visual item when painted.
#pragma once

#include "htmltext/color.h"
#include "htmltext/font.h"
#include "htmltext/visual_item.h"

namespace vornel {

struct TVqLinkStyle {
  TColor FontColor = clNone;
  TColor BackColor = clNone;
  bool Underline = false;
  bool operator==(const TVqLinkStyle&) const = default;
};

// The font and fill colour an item is painted with: its own, with the style of
// its link applied (the hover style when its link is the selected one).
struct TItemLook {
  TQxFont Font;  // the word's font; a default font for other items
  TColor Fill = clNone;
};

inline TItemLook LookOf(const TQxVisualItem& item, const TQxBaseLink* selected,
                        const TVqLinkStyle& normal, const TVqLinkStyle& hover) {
  TItemLook look;
  look.Fill = item.BColor;
  if (const auto* word = dynamic_cast<const TQxVisualItem_Word*>(&item)) {
    look.Font = word->Font;
  }
  if (item.Link) {
    const TVqLinkStyle& style = item.Link.get() == selected ? hover : normal;
    if (style.FontColor != clNone) {
      look.Font.Color = style.FontColor;
    }
    if (style.BackColor != clNone) {
      look.Fill = style.BackColor;
    }
    if (style.Underline) {
      look.Font.Style |= fsUnderline;
    }
  }
  return look;
}

}  // namespace vornel
