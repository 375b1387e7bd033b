// The drawing surface the layout measures text on.
#pragma once

#include <string_view>

#include "htmltext/font.h"

namespace vornel {

struct TTextExtent {
  int Width = 0;
  int Height = 0;
};

class ITextSurface {
 public:
  virtual ~ITextSurface() = default;

  // Width and height of one line of text drawn in the font, in pixels.
  virtual TTextExtent TextExtent(const TQxFont& font, std::u16string_view text) = 0;

  // The text height of one space in the font.
  virtual int SpaceHeight(const TQxFont& font) { return TextExtent(font, u" ").Height; }
};

}  // namespace vornel
