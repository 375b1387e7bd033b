// The tokens of the label markup.
#pragma once

#include <cstdint>
#include <string>

namespace vornel {

// The order is the numbering.
enum class TTokenKind {
  ttInvalid,
  ttBold,
  ttItalic,
  ttUnderline,
  ttStrike,
  ttFontName,
  ttFontSize,
  ttFontColor,
  ttBackColor,
  ttTab,
  ttTabF,
  ttBreak,
  ttText,
  ttLink,
  ttAlignLeft,
  ttAlignCenter,
  ttAlignRight,
  ttImage,
  ttImageResource,
  ttBulletList,
  ttNumberList,
  ttListItem,
  ttFloat,
  ttSpoilerTitle,
  ttSpoilerDetail,
  ttLineSpace,
  ttSuperscript,
  ttSubscript,
};

struct TToken {
  TTokenKind Kind = TTokenKind::ttInvalid;
  // A closing tag (a slash right after the opening angle bracket).
  bool TagClose = false;
  // Text tokens: the text with entities resolved. Tags: the parameter text.
  std::u16string Text;
  // Tags: the converted parameter. Text tokens: -1 for a single word-break
  // character, else 0.
  std::int64_t Value = 0;
};

}  // namespace vornel
