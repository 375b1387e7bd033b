// One layout run: turns the token list into positioned visual items on the label.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "htmltext/label.h"
#include "htmltext/pre_obj.h"
#include "htmltext/token.h"

namespace vornel {

class TTokensProcess {
 public:
  // The texts of the tokens move into the words they become.
  TTokensProcess(TQxLabel& label, std::vector<TToken>& tokens);

  // Processes the tokens into pre-objects.
  void Execute();
  // Breaks lines and sets the rectangles.
  void DefineVisualRect();
  // Aligns the shown items and hands them to the label.
  void Publish();

  const std::vector<TPreObj>& PreObjects() const { return FPreObjs; }

 private:
  struct TListMark {
    bool Numbered = false;
    int Counter = 0;
  };
  struct TRunValues {
    std::int64_t LineHeight = 0;
    std::int64_t LineSpace = 0;
    std::int64_t Width = 0;
    std::int64_t Height = 0;
  };

  // Execute
  bool SkippedBySpoilers(const TToken& token) const;
  void ApplyStyle(const TToken& token);
  void ApplyFloat(const TToken& token);
  void AddVisual(TToken& token);
  std::unique_ptr<TQxVisualItem_Word> MakeWord(std::u16string text, TSize64& size);

  // DefineVisualRect
  std::int64_t TabBound() const { return FBox.Left + FTabPos; }
  void CloseGroup(std::int64_t right, std::optional<std::int64_t> limit);
  void BreakLine(std::int64_t x, std::int64_t y, bool resume);
  void EndLine();
  bool MustWrap(std::size_t index);
  void DropTrailingSpace(std::size_t index);
  void Place(TPreObj_Visual& visual);

  TQxLabel& Lb;
  std::vector<TToken>& FTokens;
  std::vector<TPreObj> FPreObjs;

  // Style and object stacks of Execute, each with its base value first.
  TQxFont FFont;
  std::vector<bool> LBold, LItalic, LUnderline, LStrike;
  std::vector<std::u16string> LFontName;
  std::vector<int> LFontSize;
  std::vector<TColor> LFontColor, LBackColor;
  std::vector<THorzAlign> LAlign;
  std::vector<std::int64_t> LLineSpace;
  std::vector<TListMark> LHTMLList;
  std::vector<bool> LSupAndSubScript;  // true for a subscript mark
  std::vector<std::u16string> LSpoilerDet;
  std::shared_ptr<TQxBaseLink> FLink;

  // State of DefineVisualRect.
  std::int64_t FX = 0;
  std::int64_t FY = 0;
  std::size_t FLineIndex = 0;
  TRunValues FRun;   // line height, line space, overall width and height
  TRunValues FCopy;  // the same, before the last placed item
  bool FLineHasItems = false;
  int FLineCount = 0;
  std::int64_t FTabPos = 0;
  bool FTabFixed = false;
  TRect64 FBox;
  bool FBoxHasWidth = false;
  bool FInFloat = false;
  std::int64_t FSavedX = 0;
  std::int64_t FSavedY = 0;
  std::size_t FSavedLine = 0;
  std::vector<TLineInfo> FLines;
  std::vector<TGroupBound> FGroups;
};

}  // namespace vornel
