// A font as the label's layout sees it: name, size in points, styles, colour.
#pragma once

#include <cstdint>
#include <string>

#include "htmltext/color.h"

namespace vornel {

enum TFontStyle : std::uint8_t {
  fsBold = 1,
  fsItalic = 2,
  fsUnderline = 4,
  fsStrikeOut = 8,
};

struct TQxFont {
  std::u16string Name = u"Tahoma";
  int Size = 8;  // points
  std::uint8_t Style = 0;
  TColor Color = clBlack;

  bool Has(TFontStyle style) const { return (Style & style) != 0; }
  bool operator==(const TQxFont&) const = default;
};

}  // namespace vornel
