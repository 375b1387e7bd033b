// Colours of the label: 32-bit values with red in the low byte, then green, then
// blue, the high byte 0. clNone marks the absence of a colour.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace vornel {

using TColor = std::uint32_t;

inline constexpr TColor clNone = 0x1FFFFFFF;

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clOlive = 0x008080;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clPurple = 0x800080;
inline constexpr TColor clTeal = 0x808000;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clFuchsia = 0xFF00FF;
inline constexpr TColor clAqua = 0xFFFF00;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clMoneyGreen = 0xC0DCC0;
inline constexpr TColor clSkyBlue = 0xF0CAA6;
inline constexpr TColor clCream = 0xF0FBFF;
inline constexpr TColor clMedGray = 0xA4A0A0;

constexpr TColor RGBToColor(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return TColor(r) | (TColor(g) << 8) | (TColor(b) << 16);
}
constexpr std::uint8_t ColorRed(TColor c) {
  return c & 0xFF;
}
constexpr std::uint8_t ColorGreen(TColor c) {
  return (c >> 8) & 0xFF;
}
constexpr std::uint8_t ColorBlue(TColor c) {
  return (c >> 16) & 0xFF;
}

// The system colours of the desktop, named after their identifiers.
enum class TSystemColor {
  scActiveBorder,
  scActiveCaption,
  scAppWorkSpace,
  scBackground,
  scBtnFace,
  scBtnHighlight,
  scBtnShadow,
  scBtnText,
  scCaptionText,
  scDefault,
  scGradientActiveCaption,
  scGradientInactiveCaption,
  scGrayText,
  scHighlight,
  scHighlightText,
  scHotLight,
  scInactiveBorder,
  scInactiveCaption,
  scInactiveCaptionText,
  scInfoBk,
  scInfoText,
  scMenu,
  scMenuBar,
  scMenuHighlight,
  scMenuText,
  scScrollBar,
  sc3DDkShadow,
  sc3DLight,
  scWindow,
  scWindowFrame,
  scWindowText,
};
inline constexpr std::size_t kSystemColorCount = std::size_t(TSystemColor::scWindowText) + 1;

// The current values of the system colours. Starts with the classic desktop
// scheme; the widget layer fills it from the application's palette.
class TSystemColors {
 public:
  TSystemColors();

  TColor Get(TSystemColor id) const { return FValues[std::size_t(id)]; }
  void Set(TSystemColor id, TColor value) { FValues[std::size_t(id)] = value; }

 private:
  std::array<TColor, kSystemColorCount> FValues;
};

// The colour of a colour identifier ("clRed", "clBtnFace", case-insensitive),
// or nothing when the text names no colour. "clNone" gives clNone.
std::optional<TColor> IdentToColor(std::u16string_view ident, const TSystemColors& colors);

// The colour-name conversion: an identifier, else an integer (decimal, or
// hexadecimal after "$"). Nothing when the text is neither.
std::optional<TColor> StringToColor(std::u16string_view text, const TSystemColors& colors);

}  // namespace vornel
