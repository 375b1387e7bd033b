// What the label control does the same on every window system: when a change
// rebuilds the layout and asks for a repaint, the update counter, the pacing of
// repaints to one per display frame, and what a click on a link does. The
// window-system classes derive from it and supply the hooks.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "htmltext/links.h"

namespace vornel {

class TLabelControl {
 public:
  // A change of the text lays out and repaints the label at most once in this
  // many milliseconds (one display frame); the changes in between are laid out and
  // shown with the next repaint, so that until then the layout (the visual items
  // and the sizes) may be a frame behind the text.
  static constexpr int PaintIntervalMs = 16;

  virtual ~TLabelControl() = default;

  void BeginUpdate() { ++FUpdatingSemaphore; }
  // Raises EVqHTMLText "There is no update started" without a BeginUpdate.
  void EndUpdate(bool forceRepaint);
  // Redoes the layout now.
  virtual void Rebuild() = 0;

 protected:
  enum TModifyFlag { mfBuild = 1, mfPaint = 2 };

  // Rebuilds and asks for a repaint as the flags say, unless an update runs.
  void Modify(int flags);
  // Runs a layout held back to the end of the frame.
  void BuildPending();
  // To be called by the derived class's Rebuild.
  void NoteRebuilt() { FBuildPending = false; }
  // To be called when a paint starts.
  void NotePainted();
  // To be called when the frame timer started by StartFrameTimer fires (stopped).
  void FrameTimerFired();

  // What a link click does unless a handler took it: a spoiler opens or closes
  // (and the label rebuilds), a reference's target opens when autoOpen is on and
  // the target is not empty. Another kind of link is an internal error.
  void FollowLink(TQxBaseLink& link, bool autoOpen,
                  const std::function<void(const std::u16string&)>& open);

  // The window system's part.
  virtual bool Shown() const = 0;
  // Asks the window system for a repaint.
  virtual void Invalidate() = 0;
  // Starts the one-shot frame timer; false when it cannot start.
  virtual bool StartFrameTimer(int milliseconds) = 0;
  virtual bool FrameTimerActive() const = 0;

 private:
  using TClock = std::chrono::steady_clock;
  void RequestPaint();
  void Repaint();

  int FUpdatingSemaphore = 0;
  bool FBuildPending = false;  // a layout held back with the repaint
  bool FPaintAsked = false;    // a repaint asked for, no paint since
  std::optional<TClock::time_point> FLastPaint;
};

}  // namespace vornel
