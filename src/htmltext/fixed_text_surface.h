// A measuring surface without a window system: every character is as wide as
// the font's size in points (one pixel more when bold), every line twice as
// high. Tests and fuzzing lay out against it.
#pragma once

#include <algorithm>

#include "htmltext/text_surface.h"

namespace vornel {

class TFixedTextSurface : public ITextSurface {
 public:
  static int Advance(const TQxFont& font) {
    return std::min(std::max(font.Size, 0), 1 << 29) + (font.Has(fsBold) ? 1 : 0);
  }
  static int LineHeight(const TQxFont& font) {
    return std::min(std::max(font.Size, 0), 1 << 29) * 2;
  }

  TTextExtent TextExtent(const TQxFont& font, std::u16string_view text) override {
    ++FMeasureCount;
    const long long width = static_cast<long long>(text.size()) * std::min(Advance(font), 1 << 20);
    return {static_cast<int>(std::min<long long>(width, 1 << 30)), LineHeight(font)};
  }
  int SpaceHeight(const TQxFont& font) override { return LineHeight(font); }

  int MeasureCount() const { return FMeasureCount; }

 private:
  int FMeasureCount = 0;
};

}  // namespace vornel
