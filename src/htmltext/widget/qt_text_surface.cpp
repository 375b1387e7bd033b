#include "htmltext/widget/qt_text_surface.h"

#include <QByteArray>
#include <QRawFont>
#include <algorithm>
#include <cmath>

namespace vornel {

namespace {

// Words remembered per font; a status line that changes its numbers forever
// must not grow the cache without end.
constexpr std::size_t kMaxWordsPerFont = 4096;

std::uint16_t BigEndian16(const QByteArray& table, int offset) {
  return static_cast<std::uint16_t>((static_cast<std::uint8_t>(table[offset]) << 8) |
                                    static_cast<std::uint8_t>(table[offset + 1]));
}

// The text height as the desktop's text drawing reports it: the font's
// Windows ascent and descent (OS/2 usWinAscent and usWinDescent) scaled to the
// pixel size, each rounded. Qt's own metrics may use the typographic values,
// which leave Tahoma of 11 pixels 11 pixels high instead of 13.
bool WindowsMetrics(const QFont& font, int& ascent, int& height) {
  const QRawFont raw = QRawFont::fromFont(font);
  if (!raw.isValid()) {
    return false;
  }
  const QByteArray head = raw.fontTable("head");
  const QByteArray os2 = raw.fontTable("OS/2");
  if (head.size() < 20 || os2.size() < 78) {
    return false;
  }
  const int unitsPerEm = BigEndian16(head, 18);
  if (unitsPerEm == 0) {
    return false;
  }
  const double scale = raw.pixelSize() / unitsPerEm;
  ascent = static_cast<int>(std::lround(BigEndian16(os2, 74) * scale));
  height = ascent + static_cast<int>(std::lround(BigEndian16(os2, 76) * scale));
  return true;
}

}  // namespace

QFont ToQFont(const TQxFont& font) {
  QFont f(ToQString(font.Name));
  // Points to pixels at 96 dots per inch, rounded as the platform's MulDiv does.
  const long long size = std::clamp<long long>(font.Size, 1, 750);
  f.setPixelSize(static_cast<int>((size * 96 + 36) / 72));
  f.setBold(font.Has(fsBold));
  f.setItalic(font.Has(fsItalic));
  f.setUnderline(font.Has(fsUnderline));
  f.setStrikeOut(font.Has(fsStrikeOut));
  f.setKerning(false);
  return f;
}

TQtTextSurface::TEntry::TEntry(const TQxFont& key)
    : Key(key),
      Font(ToQFont(key)),
      Metrics(Font),
      Ascent(Metrics.ascent()),
      Height(Metrics.ascent() + Metrics.descent()) {
  WindowsMetrics(Font, Ascent, Height);
}

TQtTextSurface::TEntry& TQtTextSurface::Entry(const TQxFont& font) {
  if (TEntry* entry = FFonts.Find(font)) {
    return *entry;
  }
  if (FFonts.Full()) {
    FFonts.Clear();
  }
  return FFonts.Add(std::make_unique<TEntry>(font));
}

TTextExtent TQtTextSurface::TextExtent(const TQxFont& font, std::u16string_view text) {
  TEntry& entry = Entry(font);
  if (auto it = entry.Widths.find(text); it != entry.Widths.end()) {
    return {it->second, entry.Height};
  }
  const int width = entry.Metrics.horizontalAdvance(ToQString(text));
  if (entry.Widths.size() >= kMaxWordsPerFont) {
    entry.Widths.clear();
  }
  entry.Widths.emplace(std::u16string(text), width);
  return {width, entry.Height};
}

int TQtTextSurface::SpaceHeight(const TQxFont& font) {
  return Entry(font).Height;
}

void TQtTextSurface::Clear() {
  FFonts.Clear();
}

}  // namespace vornel
