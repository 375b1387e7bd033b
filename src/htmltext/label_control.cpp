#include "htmltext/label_control.h"

#include <algorithm>

#include "htmltext/html_text_error.h"

namespace vornel {

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

void TLabelControl::FollowLink(TQxBaseLink& link, bool autoOpen,
                               const std::function<void(const std::u16string&)>& open) {
  if (auto* spoiler = dynamic_cast<TQxSpoiler*>(&link)) {
    spoiler->Expanded = !spoiler->Expanded;
    Modify(mfBuild | mfPaint);
  } else if (auto* ref = dynamic_cast<TQxLinkRef*>(&link)) {
    if (autoOpen && !ref->Target.empty() && open) {
      open(ref->Target);
    }
  } else {
    RaiseInternalError(u"Invalid link object");
  }
}

}  // namespace vornel
