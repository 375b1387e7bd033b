#include "htmltext/def_tokens.h"

#include "htmltext/integer_text.h"

namespace vornel {

bool Tag_IntOneBased_ProcValue(std::u16string_view text, const TSystemColors&,
                               std::int64_t& value) {
  value = ParseInteger(text).value_or(0);
  return value > 0;
}

bool Tag_IntZeroBased_ProcValue(std::u16string_view text, const TSystemColors&,
                                std::int64_t& value) {
  value = ParseInteger(text).value_or(-1);
  return value >= 0;
}

bool Tag_Color_ProcValue(std::u16string_view text, const TSystemColors& colors,
                         std::int64_t& value) {
  std::u16string s(text);
  if (!s.empty() && s[0] == u'#') {
    s[0] = u'$';
  }
  if (!s.empty() && s[0] == u'$') {
    if (s.size() == 7) {
      s.insert(1, u"00");
    }
    if (s.size() != 9) {
      return false;
    }
  }
  auto color = StringToColor(s, colors);
  if (!color || *color == clNone) {
    return false;
  }
  value = *color;
  return true;
}

namespace {
using K = TTokenKind;
constexpr TProcValue kOne = &Tag_IntOneBased_ProcValue;
constexpr TProcValue kZero = &Tag_IntZeroBased_ProcValue;
constexpr TProcValue kColor = &Tag_Color_ProcValue;
}  // namespace

const std::array<TDefToken, 26> DEF_TOKENS = {{
    {u"BR", K::ttBreak, true, false, false, nullptr},
    {u"B", K::ttBold, false, false, false, nullptr},
    {u"I", K::ttItalic, false, false, false, nullptr},
    {u"U", K::ttUnderline, false, false, false, nullptr},
    {u"S", K::ttStrike, false, false, false, nullptr},
    {u"FN", K::ttFontName, false, true, false, nullptr},
    {u"FS", K::ttFontSize, false, true, false, kOne},
    {u"FC", K::ttFontColor, false, true, false, kColor},
    {u"BC", K::ttBackColor, false, true, false, kColor},
    {u"A", K::ttLink, false, true, true, nullptr},
    {u"L", K::ttAlignLeft, false, false, false, nullptr},
    {u"C", K::ttAlignCenter, false, false, false, nullptr},
    {u"R", K::ttAlignRight, false, false, false, nullptr},
    {u"T", K::ttTab, true, true, false, kOne},
    {u"TF", K::ttTabF, true, true, false, kOne},
    {u"IMG", K::ttImage, true, true, false, kZero},
    {u"IMGRES", K::ttImageResource, true, true, false, nullptr},
    {u"UL", K::ttBulletList, false, false, false, nullptr},
    {u"OL", K::ttNumberList, false, false, false, nullptr},
    {u"LI", K::ttListItem, false, false, false, nullptr},
    {u"FLOAT", K::ttFloat, false, true, false, nullptr},
    {u"SPOILER", K::ttSpoilerTitle, false, true, false, nullptr},
    {u"SDETAIL", K::ttSpoilerDetail, false, true, false, nullptr},
    {u"LS", K::ttLineSpace, false, true, false, kZero},
    {u"SUP", K::ttSuperscript, false, false, false, nullptr},
    {u"SUB", K::ttSubscript, false, false, false, nullptr},
}};

const TDefToken* FindDefToken(std::u16string_view upperName) {
  for (const auto& row : DEF_TOKENS) {
    if (row.Ident == upperName) {
      return &row;
    }
  }
  return nullptr;
}

}  // namespace vornel
