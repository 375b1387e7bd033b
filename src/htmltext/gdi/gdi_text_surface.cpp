#include "htmltext/gdi/gdi_text_surface.h"

#include <algorithm>
#include <climits>

#include "platform/win32/wide.h"

namespace vornel {

namespace {

// Whether the font selected into the device context has outlines of less than
// semi-bold weight (the weight class of its OS/2 table).
bool RegularOutlines(HDC dc) {
  constexpr DWORD kOs2Table = 'O' | ('S' << 8) | ('/' << 16) | ('2' << 24);
  BYTE weight[2];
  if (GetFontData(dc, kOs2Table, 4, weight, sizeof(weight)) != sizeof(weight)) {
    return false;
  }
  return ((weight[0] << 8) | weight[1]) < FW_SEMIBOLD;
}

}  // namespace

TGdiTextSurface::TGdiTextSurface() : FDC(nullptr), FDpi(96) {
  TWindowDC screen(nullptr);
  if (screen.Get() != nullptr) {
    FDpi = std::max(GetDeviceCaps(screen.Get(), LOGPIXELSY), 1);
  }
}

int TGdiTextSurface::FontHeight(int points) const {
  return -MulDiv(std::clamp(points, 1, 750), FDpi, 72);
}

TFontHandle TGdiTextSurface::MakeFont(const TQxFont& font, DWORD quality) const {
  // A face name longer than LOGFONT holds would be cut by GDI anyway.
  const std::u16string name = font.Name.substr(0, LF_FACESIZE - 1);
  return TFontHandle(CreateFontW(
      FontHeight(font.Size), 0, 0, 0, font.Has(fsBold) ? FW_BOLD : FW_NORMAL, font.Has(fsItalic),
      font.Has(fsUnderline), font.Has(fsStrikeOut), DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
      CLIP_DEFAULT_PRECIS, quality, DEFAULT_PITCH | FF_DONTCARE, Wide(name)));
}

void TGdiTextSurface::Select(HFONT font) {
  // Without a font of its own (CreateFontW failed) a label font measures as the
  // system's dialog font.
  HFONT use = font != nullptr ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  if (use == FSelected) {
    return;
  }
  HGDIOBJ previous = SelectObject(FDC.Get(), use);
  if (FOriginalFont == nullptr) {
    FOriginalFont = previous;
  }
  FSelected = use;
}

TGdiTextSurface::TEntry& TGdiTextSurface::Entry(const TQxFont& font) {
  if (TEntry* known = FFonts.Find(font)) {
    return *known;
  }
  if (FFonts.Full()) {
    Clear();
  }
  auto entry = std::make_unique<TEntry>();
  entry->Key = font;
  entry->Font = MakeFont(font, DEFAULT_QUALITY);
  Select(entry->Font.get());
  // A bold face that GDI makes by emboldening regular outlines (the only Tahoma
  // of systems without one) is drawn without smoothing: smoothed, its strokes
  // come out as thin as the regular ones, only set wider apart.
  if (font.Has(fsBold) && entry->Font && RegularOutlines(FDC.Get())) {
    if (TFontHandle crisp = MakeFont(font, NONANTIALIASED_QUALITY)) {
      Select(crisp.get());
      entry->Font = std::move(crisp);
    }
  }
  TEXTMETRICW metrics{};
  if (GetTextMetricsW(FDC.Get(), &metrics)) {
    entry->Height = metrics.tmHeight;
  }
  return FFonts.Add(std::move(entry));
}

TTextExtent TGdiTextSurface::TextExtent(const TQxFont& font, std::u16string_view text) {
  TEntry& entry = Entry(font);
  Select(entry.Font.get());
  SIZE size{};
  const int length = static_cast<int>(std::min<std::size_t>(text.size(), INT_MAX));
  if (length > 0 && !GetTextExtentPoint32W(FDC.Get(), reinterpret_cast<const wchar_t*>(text.data()),
                                           length, &size)) {
    size.cx = 0;
  }
  return {static_cast<int>(size.cx), entry.Height};
}

const std::vector<INT>& TGdiTextSurface::Advances(const TQxFont& font, std::u16string_view text) {
  Select(Entry(font).Font.get());
  const int length = static_cast<int>(std::min<std::size_t>(text.size(), INT_MAX));
  FAdvances.assign(static_cast<std::size_t>(length), 0);
  SIZE size{};
  if (length > 0 && GetTextExtentExPointW(FDC.Get(), reinterpret_cast<const wchar_t*>(text.data()),
                                          length, 0, nullptr, FAdvances.data(), &size)) {
    // The extents are from the start of the text; each unit's is what it adds.
    for (int i = length - 1; i > 0; --i) {
      FAdvances[i] -= FAdvances[i - 1];
    }
  }
  return FAdvances;
}

int TGdiTextSurface::SpaceHeight(const TQxFont& font) {
  return Entry(font).Height;
}

void TGdiTextSurface::Clear() {
  // The fonts are deleted only once none of them is selected.
  if (FOriginalFont != nullptr) {
    SelectObject(FDC.Get(), FOriginalFont);
  }
  FSelected = nullptr;
  FFonts.Clear();
}

}  // namespace vornel
