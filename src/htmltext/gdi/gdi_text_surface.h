// The label's measuring and drawing surface on GDI: one font per label font
// (the size in points at the system's dots per inch), measured on a memory
// device context of the screen.
#pragma once

#include <windows.h>

#include <memory>
#include <string_view>
#include <vector>

#include "htmltext/font_cache.h"
#include "htmltext/gdi/gdi_handles.h"
#include "htmltext/text_surface.h"

namespace vornel {

class TGdiTextSurface : public ITextSurface {
 public:
  TGdiTextSurface();
  ~TGdiTextSurface() override { Clear(); }
  TGdiTextSurface(const TGdiTextSurface&) = delete;
  TGdiTextSurface& operator=(const TGdiTextSurface&) = delete;

  TTextExtent TextExtent(const TQxFont& font, std::u16string_view text) override;
  int SpaceHeight(const TQxFont& font) override;

  // The GDI font of a label font, owned by the surface.
  HFONT Font(const TQxFont& font) { return Entry(font).Font.get(); }
  // The advance of each UTF-16 unit of the text, as TextExtent measures it,
  // for drawing the text exactly where the layout placed it: a font's drawn
  // glyphs may advance otherwise (a face with bitmaps for small sizes).
  const std::vector<INT>& Advances(const TQxFont& font, std::u16string_view text);
  // The logical height of a font of that many points (negative: a character
  // height), as CreateFontW takes it.
  int FontHeight(int points) const;

  // Forgets every font (the installed fonts changed).
  void Clear();

 private:
  struct TEntry {
    TQxFont Key;  // colour ignored
    TFontHandle Font;
    int Height = 0;  // ascent plus descent
  };
  TEntry& Entry(const TQxFont& font);
  TFontHandle MakeFont(const TQxFont& font, DWORD quality) const;
  // Selects the font (nullptr: the dialog font) into the measuring context.
  void Select(HFONT font);

  TMemoryDC FDC;
  int FDpi;
  TFontCache<TEntry> FFonts;
  HFONT FSelected = nullptr;  // the font selected into FDC for measuring
  HGDIOBJ FOriginalFont = nullptr;
  std::vector<INT> FAdvances;  // the last Advances
};

}  // namespace vornel
