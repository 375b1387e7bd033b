#include "htmltext/tokens_process.h"

#include <algorithm>
#include <cmath>

#include "htmltext/html_text_error.h"
#include "htmltext/integer_text.h"
#include "platform/text.h"

namespace vornel {

namespace {

template <typename T>
void PushOrPop(std::vector<T>& stack, bool close, T value) {
  if (!close) {
    stack.push_back(std::move(value));
  } else if (stack.size() > 1) {
    stack.pop_back();
  }
}

std::u16string_view TrimSpaces(std::u16string_view s) {
  while (!s.empty() && s.front() == u' ') {
    s.remove_prefix(1);
  }
  while (!s.empty() && s.back() == u' ') {
    s.remove_suffix(1);
  }
  return s;
}

std::int64_t IntOrZero(std::u16string_view s) {
  return ParseInteger(TrimSpaces(s)).value_or(0);
}

}  // namespace

TTokensProcess::TTokensProcess(TQxLabel& label, std::vector<TToken>& tokens)
    : Lb(label), FTokens(tokens) {
  const TQxLayoutSettings& s = Lb.Settings;
  FFont = s.Font;
  LBold = {FFont.Has(fsBold)};
  LItalic = {FFont.Has(fsItalic)};
  LUnderline = {FFont.Has(fsUnderline)};
  LStrike = {FFont.Has(fsStrikeOut)};
  LFontName = {FFont.Name};
  LFontSize = {FFont.Size};
  LFontColor = {FFont.Color};
  LBackColor = {clNone};
  LAlign = {THorzAlign::haLeft};
  LLineSpace = {s.LineSpacing};
  FPreObjs.reserve(tokens.size());
}

// ---------------------------------------------------------------------------
// Execute

bool TTokensProcess::SkippedBySpoilers(const TToken& token) const {
  if (LSpoilerDet.empty() || token.Kind == TTokenKind::ttSpoilerTitle ||
      token.Kind == TTokenKind::ttSpoilerDetail) {
    return false;
  }
  for (const auto& name : LSpoilerDet) {
    const TQxSpoiler* spoiler = Lb.FindSpoiler(name);
    if (spoiler == nullptr || !spoiler->Expanded) {
      return true;
    }
  }
  return false;
}

void TTokensProcess::Execute() {
  for (TToken& token : FTokens) {
    if (SkippedBySpoilers(token)) {
      continue;
    }
    const bool close = token.TagClose;
    switch (token.Kind) {
      case TTokenKind::ttBold:
      case TTokenKind::ttItalic:
      case TTokenKind::ttUnderline:
      case TTokenKind::ttStrike:
        ApplyStyle(token);
        break;
      case TTokenKind::ttFontName:
        PushOrPop(LFontName, close, token.Text);
        FFont.Name = LFontName.back();
        break;
      case TTokenKind::ttFontSize:
        PushOrPop(LFontSize, close, static_cast<int>(token.Value));
        FFont.Size = LFontSize.back();
        break;
      case TTokenKind::ttFontColor:
        PushOrPop(LFontColor, close, static_cast<TColor>(token.Value));
        FFont.Color = LFontColor.back();
        break;
      case TTokenKind::ttBackColor:
        PushOrPop(LBackColor, close, static_cast<TColor>(token.Value));
        break;
      case TTokenKind::ttTab:
      case TTokenKind::ttTabF:
        FPreObjs.emplace_back(TPreObj_Tab{token.Value, token.Kind == TTokenKind::ttTabF});
        break;
      case TTokenKind::ttBreak:
        FPreObjs.emplace_back(TPreObj_Break{Lb.Surface().SpaceHeight(FFont)});
        break;
      case TTokenKind::ttLink:
        if (!close) {
          auto link = std::make_shared<TQxLinkRef>(token.Text);
          Lb.AddLinkRef(link);
          FLink = std::move(link);
        } else {
          FLink.reset();
        }
        break;
      case TTokenKind::ttAlignLeft:
        PushOrPop(LAlign, close, THorzAlign::haLeft);
        break;
      case TTokenKind::ttAlignCenter:
        PushOrPop(LAlign, close, THorzAlign::haCenter);
        break;
      case TTokenKind::ttAlignRight:
        PushOrPop(LAlign, close, THorzAlign::haRight);
        break;
      case TTokenKind::ttBulletList:
      case TTokenKind::ttNumberList: {
        const bool numbered = token.Kind == TTokenKind::ttNumberList;
        if (!close) {
          LHTMLList.push_back({numbered, 0});
        } else if (!LHTMLList.empty() && LHTMLList.back().Numbered == numbered) {
          LHTMLList.pop_back();
        }
        break;
      }
      case TTokenKind::ttFloat:
        ApplyFloat(token);
        break;
      case TTokenKind::ttSpoilerTitle:
        if (!close) {
          FLink = Lb.FindOrAddSpoiler(token.Text);
        } else {
          FLink.reset();
        }
        break;
      case TTokenKind::ttSpoilerDetail:
        if (!close) {
          LSpoilerDet.push_back(token.Text);
        } else if (!LSpoilerDet.empty()) {
          LSpoilerDet.pop_back();
        }
        break;
      case TTokenKind::ttLineSpace:
        PushOrPop(LLineSpace, close, token.Value);
        break;
      case TTokenKind::ttSuperscript:
      case TTokenKind::ttSubscript: {
        const bool sub = token.Kind == TTokenKind::ttSubscript;
        if (!close) {
          LSupAndSubScript.push_back(sub);
        } else if (!LSupAndSubScript.empty() && LSupAndSubScript.back() == sub) {
          LSupAndSubScript.pop_back();
        }
        break;
      }
      case TTokenKind::ttText:
      case TTokenKind::ttInvalid:
      case TTokenKind::ttListItem:
      case TTokenKind::ttImage:
      case TTokenKind::ttImageResource:
        AddVisual(token);
        break;
    }
  }
}

void TTokensProcess::ApplyStyle(const TToken& token) {
  switch (token.Kind) {
    case TTokenKind::ttBold:
      PushOrPop(LBold, token.TagClose, true);
      break;
    case TTokenKind::ttItalic:
      PushOrPop(LItalic, token.TagClose, true);
      break;
    case TTokenKind::ttUnderline:
      PushOrPop(LUnderline, token.TagClose, true);
      break;
    case TTokenKind::ttStrike:
      PushOrPop(LStrike, token.TagClose, true);
      break;
    default:
      RaiseInternalError(u"Invalid typographical emphasis token kind");
  }
  FFont.Style = (LBold.back() ? fsBold : 0) | (LItalic.back() ? fsItalic : 0) |
                (LUnderline.back() ? fsUnderline : 0) | (LStrike.back() ? fsStrikeOut : 0);
}

void TTokensProcess::ApplyFloat(const TToken& token) {
  TPreObj_Float box;
  box.Close = token.TagClose;
  if (!box.Close) {
    std::vector<std::u16string_view> parts;
    std::u16string_view rest = token.Text;
    for (;;) {
      const std::size_t comma = rest.find(u',');
      parts.push_back(rest.substr(0, comma));
      if (comma == std::u16string_view::npos) {
        break;
      }
      rest.remove_prefix(comma + 1);
    }
    if (parts.size() >= 2) {
      box.Rect.Left = IntOrZero(parts[0]);
      box.Rect.Top = box.Rect.Bottom = IntOrZero(parts[1]);
      box.Rect.Right = box.Rect.Left;
      if (parts.size() >= 3) {
        box.Rect.Right = box.Rect.Left + IntOrZero(parts[2]);
        box.HasWidth = box.Rect.Right > box.Rect.Left;
      }
    }
  }
  FPreObjs.emplace_back(box);
}

std::unique_ptr<TQxVisualItem_Word> TTokensProcess::MakeWord(std::u16string text, TSize64& size) {
  std::unique_ptr<TQxVisualItem_Word> word = Lb.TakeWord();
  word->Font = FFont;
  ITextSurface& surface = Lb.Surface();
  const TTextExtent extent = surface.TextExtent(FFont, text);
  size = {extent.Width, extent.Height};
  if (!LSupAndSubScript.empty()) {
    // Each mark shrinks the font by a quarter; a subscript moves the text down
    // by what the line height lost.
    TQxFont small = FFont;
    std::int64_t previous = extent.Height;
    std::int64_t offset = 0;
    for (std::size_t i = 0; i < LSupAndSubScript.size(); ++i) {
      const double scaled = FFont.Size * std::pow(0.75, static_cast<double>(i + 1));
      const int nextSize = static_cast<int>(std::nearbyint(scaled));
      if (i > 0 && nextSize == 0 && small.Size == 0) {
        break;  // nothing changes any more
      }
      small.Size = nextSize;
      const std::int64_t h = surface.SpaceHeight(small);
      if (LSupAndSubScript[i]) {
        offset += previous - h;
      }
      previous = h;
    }
    size.Width = surface.TextExtent(small, text).Width;
    word->Font.Size = small.Size;
    word->YPos = offset;
  }
  word->Text = std::move(text);
  return word;
}

void TTokensProcess::AddVisual(TToken& token) {
  TPreObj_Visual pre;
  const bool text = token.Kind == TTokenKind::ttText;
  if (text && FLink) {
    if (auto* ref = dynamic_cast<TQxLinkRef*>(FLink.get())) {
      ref->Text += token.Text;
    }
  }
  pre.Space = text && token.Text == u" ";
  pre.BreakableChar = text && token.Value == -1;
  switch (token.Kind) {
    case TTokenKind::ttInvalid:
      pre.Visual = MakeWord(u"<?>", pre.Size);
      break;
    case TTokenKind::ttListItem: {
      if (token.TagClose || LHTMLList.empty()) {
        return;
      }
      TListMark& list = LHTMLList.back();
      std::u16string mark;
      if (list.Numbered) {
        ++list.Counter;
        mark = IntToText(list.Counter) + u". ";
      } else {
        mark = u"\u2022 ";
      }
      pre.FixedPos = static_cast<std::int64_t>(LHTMLList.size()) * Lb.Settings.ListLevelPadding;
      pre.Visual = MakeWord(std::move(mark), pre.Size);
      break;
    }
    case TTokenKind::ttImage: {
      auto image = std::make_unique<TQxVisualItem_Image>();
      image->ImageIndex = token.Value;
      pre.Size = Lb.ImageListSize().value_or(TSize64{});
      pre.Visual = std::move(image);
      break;
    }
    case TTokenKind::ttImageResource: {
      auto image = std::make_unique<TQxVisualItem_ImageResource>();
      image->Picture = Lb.RetrieveImgRes(token.Text);
      if (!image->Picture) {
        image->Picture = std::make_shared<TQxPicture>();
      }
      pre.Size = {image->Picture->Width(), image->Picture->Height()};
      pre.Visual = std::move(image);
      break;
    }
    default:
      pre.Visual = MakeWord(std::move(token.Text), pre.Size);
      break;
  }
  pre.Visual->BColor = LBackColor.back();
  pre.Visual->Link = FLink;
  pre.Align = LAlign.back();
  pre.LineSpace = LLineSpace.back();
  FPreObjs.emplace_back(std::move(pre));
}

// ---------------------------------------------------------------------------
// DefineVisualRect

void TTokensProcess::CloseGroup(std::int64_t right, std::optional<std::int64_t> limit) {
  FGroups.push_back({right, limit});
}

void TTokensProcess::BreakLine(std::int64_t x, std::int64_t y, bool resume) {
  CloseGroup(FX, FBoxHasWidth ? std::optional<std::int64_t>(FBox.Right) : std::nullopt);
  const TLineInfo info{FRun.LineHeight, FRun.LineSpace};
  if (FLineIndex < FLines.size()) {
    FLines[FLineIndex] = info;  // a line resumed after a floating box
  } else {
    FLines.push_back(info);
  }
  if (resume) {
    FLineIndex = FSavedLine;
    FRun.LineHeight = FLines[FSavedLine].Height;
    FRun.LineSpace = FLines[FSavedLine].Space;
  } else {
    FLineIndex = FLines.size();
    FRun.LineHeight = 0;
    FRun.LineSpace = 0;
  }
  FLineHasItems = false;
  FX = x;
  FY = y;
}

void TTokensProcess::EndLine() {
  if (!FInFloat) {
    ++FLineCount;
  }
  const std::int64_t y = FY + FRun.LineHeight + FRun.LineSpace;
  BreakLine(FBox.Left, y, false);
  FRun.Height = std::max(FRun.Height, y);
}

bool TTokensProcess::MustWrap(std::size_t index) {
  auto& self = std::get<TPreObj_Visual>(FPreObjs[index]);
  std::int64_t end = FX + self.Size.Width;
  for (std::size_t i = index + 1; i < FPreObjs.size(); ++i) {
    auto* next = std::get_if<TPreObj_Visual>(&FPreObjs[i]);
    if (next == nullptr || next->Space || next->BreakableChar) {
      break;
    }
    end += next->Size.Width;
    next->BreakCheckDone = true;
  }
  if (FInFloat && FBoxHasWidth) {
    return end > FBox.Right;
  }
  if (Lb.Settings.AutoWidth) {
    return Lb.Settings.MaxWidth > 0 && end > Lb.Settings.MaxWidth;
  }
  return end > Lb.Width();
}

void TTokensProcess::DropTrailingSpace(std::size_t index) {
  if (index == 0) {
    return;
  }
  auto* space = std::get_if<TPreObj_Visual>(&FPreObjs[index - 1]);
  if (space == nullptr || !space->Space || !space->Print || space->Visual->Rect.Left < TabBound()) {
    return;
  }
  space->Print = false;
  FX = space->Visual->Rect.Left;
  FRun = FCopy;
}

void TTokensProcess::Place(TPreObj_Visual& visual) {
  if (visual.FixedPos) {
    FX = *visual.FixedPos;
  }
  TRect64& r = visual.Visual->Rect;
  r = {FX, FY, FX + visual.Size.Width, FY + visual.Size.Height};
  visual.Line = FLineIndex;
  visual.Group = FGroups.size();
  visual.Print = true;
  FCopy = FRun;
  FRun.Width = std::max(FRun.Width, r.Right);
  FRun.Height = std::max(FRun.Height, r.Bottom);
  FRun.LineHeight = std::max(FRun.LineHeight, visual.Size.Height);
  FRun.LineSpace = std::max(FRun.LineSpace, visual.LineSpace);
  FLineHasItems = true;
  FX = r.Right;
}

void TTokensProcess::DefineVisualRect() {
  for (std::size_t i = 0; i < FPreObjs.size(); ++i) {
    TPreObj& pre = FPreObjs[i];
    if (auto* box = std::get_if<TPreObj_Float>(&pre)) {
      if (!box->Close && !FInFloat) {
        FSavedLine = FLineIndex;
        FSavedX = FX;
        FSavedY = FY;
        BreakLine(box->Rect.Left, box->Rect.Top, false);
        FBox = box->Rect;
        FBoxHasWidth = box->HasWidth;
        FInFloat = true;
      } else if (box->Close && FInFloat) {
        BreakLine(FSavedX, FSavedY, true);
        FBox = {};
        FBoxHasWidth = false;
        FInFloat = false;
      }
    } else if (auto* tab = std::get_if<TPreObj_Tab>(&pre)) {
      FTabPos = tab->Position;
      FTabFixed = tab->Fixed;
      CloseGroup(FX, TabBound());
      FX = TabBound();
    } else if (auto* brk = std::get_if<TPreObj_Break>(&pre)) {
      if (FRun.LineHeight == 0) {
        FRun.LineHeight = brk->Height;
      }
      EndLine();
      FTabPos = 0;
      FTabFixed = false;
    } else if (auto* visual = std::get_if<TPreObj_Visual>(&pre)) {
      if (!visual->BreakCheckDone && MustWrap(i)) {
        if (!visual->Space) {
          DropTrailingSpace(i);
        }
        EndLine();
        if (FTabFixed) {
          FX = TabBound();
        }
        if (visual->Space) {
          continue;  // a space at the wrap point is not shown
        }
      }
      Place(*visual);
    } else {
      RaiseInternalError(u"Unexpected object");
    }
  }
  // Markup that hides the last line break (an unclosed spoiler detail) still
  // leaves its shown items on a closed line.
  if (FLineHasItems) {
    EndLine();
  }
  Lb.SetTextSize(FRun.Width, FRun.Height);
  Lb.SetLineCount(FLineCount);
}

// ---------------------------------------------------------------------------
// Publish

namespace {

template <typename Mode>
std::int64_t AlignOffset(Mode mode, Mode start, Mode center, std::int64_t outer,
                         std::int64_t inner) {
  if (mode == start) {
    return 0;
  }
  const std::int64_t offset = outer - inner;
  return mode == center ? offset / 2 : offset;
}

}  // namespace

void TTokensProcess::Publish() {
  const TQxLayoutSettings& s = Lb.Settings;
  const std::int64_t labelWidth = Lb.Width();
  const std::int64_t labelHeight = Lb.Height();
  const std::int64_t textWidth = Lb.TextWidth();
  const std::int64_t textHeight = Lb.TextHeight();
  const std::int64_t overallDx = AlignOffset(s.OverallHorzAlign, THorzAlign::haLeft,
                                             THorzAlign::haCenter, labelWidth, textWidth);
  const std::int64_t overallDy = AlignOffset(s.OverallVertAlign, TVertAlign::vaTop,
                                             TVertAlign::vaCenter, labelHeight, textHeight);
  for (TPreObj& pre : FPreObjs) {
    auto* visual = std::get_if<TPreObj_Visual>(&pre);
    if (visual == nullptr || !visual->Print) {
      continue;
    }
    TRect64& r = visual->Visual->Rect;
    if (visual->Align != THorzAlign::haLeft && visual->Group < FGroups.size()) {
      const TGroupBound& group = FGroups[visual->Group];
      std::int64_t outer;
      if (group.Limit) {
        outer = *group.Limit;
      } else {
        outer = s.OverallHorzAlign == THorzAlign::haLeft ? labelWidth : textWidth;
      }
      r.Offset(
          AlignOffset(visual->Align, THorzAlign::haLeft, THorzAlign::haCenter, outer, group.Right),
          0);
    }
    if (s.LineVertAlign != TVertAlign::vaTop && visual->Line < FLines.size()) {
      r.Offset(0, AlignOffset(s.LineVertAlign, TVertAlign::vaTop, TVertAlign::vaCenter,
                              FLines[visual->Line].Height, visual->Size.Height));
    }
    r.Offset(overallDx, overallDy);
    Lb.AddVisualItem(std::move(visual->Visual));
  }
}

}  // namespace vornel
