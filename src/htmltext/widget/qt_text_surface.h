// The label's measuring surface on Qt: QFontMetrics, with the widths of the
// words already measured kept per font.
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "htmltext/font_cache.h"
#include "htmltext/text_surface.h"

namespace vornel {

// The font of a label font: the size in points becomes a pixel size at 96 dots
// per inch, as the label's layout is given in those pixels.
QFont ToQFont(const TQxFont& font);

inline QString ToQString(std::u16string_view text) {
  return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<int>(text.size()));
}

class TQtTextSurface : public ITextSurface {
 public:
  TTextExtent TextExtent(const TQxFont& font, std::u16string_view text) override;
  int SpaceHeight(const TQxFont& font) override;

  // The Qt font and its ascent, for drawing.
  const QFont& Font(const TQxFont& font) { return Entry(font).Font; }
  int Ascent(const TQxFont& font) { return Entry(font).Ascent; }

  // Forgets every measurement (the installed fonts changed).
  void Clear();

 private:
  struct TWordHash {
    using is_transparent = void;
    std::size_t operator()(std::u16string_view word) const {
      return std::hash<std::u16string_view>{}(word);
    }
  };
  struct TEntry {
    explicit TEntry(const TQxFont& key);
    TQxFont Key;  // colour ignored
    QFont Font;
    QFontMetrics Metrics;
    int Ascent;
    int Height;
    // Looked up by the word's view, so that a known word costs no copy.
    std::unordered_map<std::u16string, int, TWordHash, std::equal_to<>> Widths;
  };
  TEntry& Entry(const TQxFont& font);

  TFontCache<TEntry> FFonts;
};

}  // namespace vornel
