#include "htmltext/label_control.h"

#include <algorithm>

#include "htmltext/html_text_error.h"
#include "htmltext/label_text.h"

namespace vornel {

void TLabelControl::SetLines(std::vector<std::u16string> lines) {
  if (lines == Core().Lines) {
    return;
  }
  Core().Lines = std::move(lines);
  Core().ClearSpoilers();
  Modify(mfBuild | mfPaint);
}

std::u16string TLabelControl::Text() const {
  return JoinLines(Core().Lines);
}

void TLabelControl::SetText(std::u16string_view text) {
  SetLines(SplitLines(text));
}

void TLabelControl::SetAutoWidth(bool value) {
  // Switching it off changes nothing.
  if (Change(Core().Settings.AutoWidth, value) && value) {
    Modify(mfBuild);
  }
}

void TLabelControl::SetAutoHeight(bool value) {
  if (Change(Core().Settings.AutoHeight, value) && value) {
    Modify(mfBuild);
  }
}

void TLabelControl::SetMaxWidth(int value) {
  if (Change(Core().Settings.MaxWidth, value)) {
    Modify(mfBuild);
  }
}

void TLabelControl::SetLineSpacing(int value) {
  if (Change(Core().Settings.LineSpacing, value)) {
    Modify(mfBuild | mfPaint);
  }
}

void TLabelControl::SetListLevelPadding(int value) {
  if (Change(Core().Settings.ListLevelPadding, value)) {
    Modify(mfBuild | mfPaint);
  }
}

void TLabelControl::SetLineVertAlign(TVertAlign value) {
  if (Change(Core().Settings.LineVertAlign, value)) {
    Modify(mfBuild | mfPaint);
  }
}

void TLabelControl::SetOverallHorzAlign(THorzAlign value) {
  if (Change(Core().Settings.OverallHorzAlign, value)) {
    Modify(mfBuild | mfPaint);
  }
}

void TLabelControl::SetOverallVertAlign(TVertAlign value) {
  if (Change(Core().Settings.OverallVertAlign, value)) {
    Modify(mfBuild | mfPaint);
  }
}

void TLabelControl::SetStyleLinkNormal(const TVqLinkStyle& value) {
  if (Change(FStyleLinkNormal, value)) {
    Modify(mfBuild | mfPaint);
  }
}

void TLabelControl::SetStyleLinkHover(const TVqLinkStyle& value) {
  if (Change(FStyleLinkHover, value)) {
    Modify(mfBuild | mfPaint);
  }
}

void TLabelControl::SetColor(TColor color) {
  if (FParentColor || color != FColor) {
    FColor = color;
    FParentColor = false;
    Modify(mfPaint);
  }
}

void TLabelControl::SetParentColor(bool value) {
  if (Change(FParentColor, value)) {
    Modify(mfPaint);
  }
}

void TLabelControl::EndUpdate(bool forceRepaint) {
  if (FUpdatingSemaphore == 0) {
    throw EVqHTMLText(u"There is no update started");
  }
  --FUpdatingSemaphore;
  if (FUpdatingSemaphore == 0 && forceRepaint) {
    Rebuild();
    Repaint();
  }
}

void TLabelControl::Modify(int flags) {
  if (FUpdatingSemaphore > 0) {
    return;
  }
  if (flags & mfBuild) {
    // A change to show that comes while a repaint is due anyway (held back to the
    // frame's end, or asked for and not done yet) is laid out just before it.
    const bool paintDue =
        FrameTimerActive() || FPaintAsked ||
        (FLastPaint && TClock::now() - *FLastPaint < std::chrono::milliseconds(PaintIntervalMs));
    if ((flags & mfPaint) && paintDue && Shown()) {
      FBuildPending = true;
    } else {
      Rebuild();
    }
  }
  if (flags & mfPaint) {
    RequestPaint();
  }
}

void TLabelControl::BuildPending() {
  if (FBuildPending) {
    Rebuild();
  }
}

void TLabelControl::NotePainted() {
  FLastPaint = TClock::now();
  FPaintAsked = false;
}

void TLabelControl::Repaint() {
  Invalidate();
  FPaintAsked = true;
}

// Text that changes faster than a display frame (a status line set for every
// block of a download) is laid out and painted once per frame: a change within a
// frame of the last paint waits for the frame's end.
void TLabelControl::RequestPaint() {
  if (FrameTimerActive()) {
    return;
  }
  using std::chrono::milliseconds;
  const long long since =
      FLastPaint ? std::chrono::duration_cast<milliseconds>(TClock::now() - *FLastPaint).count()
                 : PaintIntervalMs;
  if (since >= PaintIntervalMs && !FBuildPending) {
    Repaint();
    return;
  }
  // A repaint already asked for comes first and starts a new frame.
  const long long wait =
      FPaintAsked ? PaintIntervalMs : std::max<long long>(PaintIntervalMs - since, 0);
  if (!StartFrameTimer(static_cast<int>(wait))) {
    // Without a timer the change shows at once rather than never.
    FrameTimerFired();
  }
}

void TLabelControl::FrameTimerFired() {
  BuildPending();
  Repaint();
}

void TLabelControl::FollowLink(TQxBaseLink& link,
                               const std::function<void(const std::u16string&)>& open) {
  if (auto* spoiler = dynamic_cast<TQxSpoiler*>(&link)) {
    spoiler->Expanded = !spoiler->Expanded;
    Modify(mfBuild | mfPaint);
  } else if (auto* ref = dynamic_cast<TQxLinkRef*>(&link)) {
    if (FAutoOpenLink && !ref->Target.empty() && open) {
      open(ref->Target);
    }
  } else {
    RaiseInternalError(u"Invalid link object");
  }
}

}  // namespace vornel
