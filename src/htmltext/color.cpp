#include "htmltext/color.h"

#include "htmltext/integer_text.h"
#include "platform/text.h"

namespace vornel {

namespace {

struct TColorIdent {
  std::u16string_view Ident;
  TColor Value;
};

constexpr TColorIdent kFixedColors[] = {
    {u"clBlack", clBlack},
    {u"clMaroon", clMaroon},
    {u"clGreen", clGreen},
    {u"clOlive", clOlive},
    {u"clNavy", clNavy},
    {u"clPurple", clPurple},
    {u"clTeal", clTeal},
    {u"clGray", clGray},
    {u"clSilver", clSilver},
    {u"clRed", clRed},
    {u"clLime", clLime},
    {u"clYellow", clYellow},
    {u"clBlue", clBlue},
    {u"clFuchsia", clFuchsia},
    {u"clAqua", clAqua},
    {u"clWhite", clWhite},
    {u"clMoneyGreen", clMoneyGreen},
    {u"clSkyBlue", clSkyBlue},
    {u"clCream", clCream},
    {u"clMedGray", clMedGray},
    {u"clNone", clNone},
};

struct TSystemColorIdent {
  std::u16string_view Ident;
  TSystemColor Id;
  TColor Classic;  // the classic desktop scheme
};

constexpr TSystemColorIdent kSystemColors[] = {
    {u"clActiveBorder", TSystemColor::scActiveBorder, 0xB4B4B4},
    {u"clActiveCaption", TSystemColor::scActiveCaption, 0xD1B499},
    {u"clAppWorkSpace", TSystemColor::scAppWorkSpace, 0xABABAB},
    {u"clBackground", TSystemColor::scBackground, 0x000000},
    {u"clBtnFace", TSystemColor::scBtnFace, 0xF0F0F0},
    {u"clBtnHighlight", TSystemColor::scBtnHighlight, 0xFFFFFF},
    {u"clBtnShadow", TSystemColor::scBtnShadow, 0xA0A0A0},
    {u"clBtnText", TSystemColor::scBtnText, 0x000000},
    {u"clCaptionText", TSystemColor::scCaptionText, 0x000000},
    {u"clDefault", TSystemColor::scDefault, 0x000000},
    {u"clGradientActiveCaption", TSystemColor::scGradientActiveCaption, 0xEAD1B9},
    {u"clGradientInactiveCaption", TSystemColor::scGradientInactiveCaption, 0xF2E4D7},
    {u"clGrayText", TSystemColor::scGrayText, 0x6D6D6D},
    {u"clHighlight", TSystemColor::scHighlight, 0xFF9933},
    {u"clHighlightText", TSystemColor::scHighlightText, 0xFFFFFF},
    {u"clHotLight", TSystemColor::scHotLight, 0xCC6600},
    {u"clInactiveBorder", TSystemColor::scInactiveBorder, 0xFCF7F4},
    {u"clInactiveCaption", TSystemColor::scInactiveCaption, 0xDBCDBF},
    {u"clInactiveCaptionText", TSystemColor::scInactiveCaptionText, 0x000000},
    {u"clInfoBk", TSystemColor::scInfoBk, 0xE1FFFF},
    {u"clInfoText", TSystemColor::scInfoText, 0x000000},
    {u"clMenu", TSystemColor::scMenu, 0xF0F0F0},
    {u"clMenuBar", TSystemColor::scMenuBar, 0xF0F0F0},
    {u"clMenuHighlight", TSystemColor::scMenuHighlight, 0xFF9933},
    {u"clMenuText", TSystemColor::scMenuText, 0x000000},
    {u"clScrollBar", TSystemColor::scScrollBar, 0xC8C8C8},
    {u"cl3DDkShadow", TSystemColor::sc3DDkShadow, 0x696969},
    {u"cl3DLight", TSystemColor::sc3DLight, 0xE3E3E3},
    {u"clWindow", TSystemColor::scWindow, 0xFFFFFF},
    {u"clWindowFrame", TSystemColor::scWindowFrame, 0x646464},
    {u"clWindowText", TSystemColor::scWindowText, 0x000000},
};
static_assert(std::size(kSystemColors) == kSystemColorCount);

}  // namespace

TSystemColors::TSystemColors() {
  for (const auto& row : kSystemColors) {
    FValues[std::size_t(row.Id)] = row.Classic;
  }
}

std::optional<TColor> IdentToColor(std::u16string_view ident, const TSystemColors& colors) {
  for (const auto& row : kFixedColors) {
    if (SameTextAscii(ident, row.Ident)) {
      return row.Value;
    }
  }
  for (const auto& row : kSystemColors) {
    if (SameTextAscii(ident, row.Ident)) {
      return colors.Get(row.Id);
    }
  }
  return std::nullopt;
}

std::optional<TColor> StringToColor(std::u16string_view text, const TSystemColors& colors) {
  if (auto named = IdentToColor(text, colors)) {
    return named;
  }
  // Only values of the colour layout (high byte 0) are colours; anything larger
  // would be read as a system-colour index or a palette entry by a painter.
  auto value = ParseInteger(text, /*allowHex=*/true);
  if (!value || *value < 0 || *value > 0xFFFFFF) {
    return std::nullopt;
  }
  return TColor(*value);
}

}  // namespace vornel
