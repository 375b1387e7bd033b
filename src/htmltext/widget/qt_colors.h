// Colours of the label on Qt: conversions and the system colours of a palette.
#pragma once

#include <QColor>
#include <QPalette>

#include "htmltext/color.h"

namespace vornel {

inline QColor ToQColor(TColor color) {
  return QColor(ColorRed(color), ColorGreen(color), ColorBlue(color));
}

inline TColor FromQColor(const QColor& color) {
  return RGBToColor(static_cast<std::uint8_t>(color.red()),
                    static_cast<std::uint8_t>(color.green()),
                    static_cast<std::uint8_t>(color.blue()));
}

// Fills the system colours from the matching roles of the palette.
void FillSystemColors(const QPalette& palette, TSystemColors& colors);

}  // namespace vornel
