#include "htmltext/widget/qt_colors.h"

namespace vornel {

void FillSystemColors(const QPalette& palette, TSystemColors& colors) {
  using S = TSystemColor;
  using R = QPalette::ColorRole;
  struct TRow {
    S Id;
    QPalette::ColorGroup Group;
    R Role;
  };
  constexpr auto A = QPalette::Active;
  constexpr auto I = QPalette::Inactive;
  constexpr auto D = QPalette::Disabled;
  static constexpr TRow kRows[] = {
      {S::scActiveBorder, A, R::Window},
      {S::scActiveCaption, A, R::Highlight},
      {S::scAppWorkSpace, A, R::Mid},
      {S::scBackground, A, R::Dark},
      {S::scBtnFace, A, R::Window},
      {S::scBtnHighlight, A, R::Light},
      {S::scBtnShadow, A, R::Mid},
      {S::scBtnText, A, R::ButtonText},
      {S::scCaptionText, A, R::HighlightedText},
      {S::scDefault, A, R::WindowText},
      {S::scGradientActiveCaption, A, R::Highlight},
      {S::scGradientInactiveCaption, I, R::Highlight},
      {S::scGrayText, D, R::WindowText},
      {S::scHighlight, A, R::Highlight},
      {S::scHighlightText, A, R::HighlightedText},
      {S::scHotLight, A, R::Link},
      {S::scInactiveBorder, I, R::Window},
      {S::scInactiveCaption, I, R::Highlight},
      {S::scInactiveCaptionText, I, R::HighlightedText},
      {S::scInfoBk, A, R::ToolTipBase},
      {S::scInfoText, A, R::ToolTipText},
      {S::scMenu, A, R::Window},
      {S::scMenuBar, A, R::Window},
      {S::scMenuHighlight, A, R::Highlight},
      {S::scMenuText, A, R::WindowText},
      {S::scScrollBar, A, R::Button},
      {S::sc3DDkShadow, A, R::Shadow},
      {S::sc3DLight, A, R::Midlight},
      {S::scWindow, A, R::Base},
      {S::scWindowFrame, A, R::Shadow},
      {S::scWindowText, A, R::WindowText},
  };
  static_assert(std::size(kRows) == kSystemColorCount);
  for (const TRow& row : kRows) {
    colors.Set(row.Id, FromQColor(palette.color(row.Group, row.Role)));
  }
}

}  // namespace vornel
