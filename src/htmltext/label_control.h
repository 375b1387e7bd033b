// What the label control does the same on every window system: when a change
// rebuilds the layout and asks for a repaint, the update counter, the pacing of
// repaints to one per display frame, and what a click on a link does. The
// window-system classes derive from it and supply the hooks.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "htmltext/label.h"
#include "htmltext/link_style.h"
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

  // The markup, one output line per line.
  const std::vector<std::u16string>& Lines() const { return Core().Lines; }
  void SetLines(std::vector<std::u16string> lines);
  // The lines joined with CR LF, without a break after the last line; setting
  // it splits at CR LF, LF or CR.
  std::u16string Text() const;
  void SetText(std::u16string_view text);

  bool AutoWidth() const { return Core().Settings.AutoWidth; }
  void SetAutoWidth(bool value);
  bool AutoHeight() const { return Core().Settings.AutoHeight; }
  void SetAutoHeight(bool value);
  int MaxWidth() const { return Core().Settings.MaxWidth; }
  void SetMaxWidth(int value);
  int LineSpacing() const { return Core().Settings.LineSpacing; }
  void SetLineSpacing(int value);
  int ListLevelPadding() const { return Core().Settings.ListLevelPadding; }
  void SetListLevelPadding(int value);
  TVertAlign LineVertAlign() const { return Core().Settings.LineVertAlign; }
  void SetLineVertAlign(TVertAlign value);
  THorzAlign OverallHorzAlign() const { return Core().Settings.OverallHorzAlign; }
  void SetOverallHorzAlign(THorzAlign value);
  TVertAlign OverallVertAlign() const { return Core().Settings.OverallVertAlign; }
  void SetOverallVertAlign(TVertAlign value);
  const TVqLinkStyle& StyleLinkNormal() const { return FStyleLinkNormal; }
  void SetStyleLinkNormal(const TVqLinkStyle& value);
  const TVqLinkStyle& StyleLinkHover() const { return FStyleLinkHover; }
  void SetStyleLinkHover(const TVqLinkStyle& value);
  bool AutoOpenLink() const { return FAutoOpenLink; }
  void SetAutoOpenLink(bool value) { FAutoOpenLink = value; }
  // The background colour; with ParentColor it follows the parent's background.
  TColor Color() const { return FParentColor ? ParentBackground() : FColor; }
  void SetColor(TColor color);
  bool ParentColor() const { return FParentColor; }
  void SetParentColor(bool value);

  // Results of the last layout.
  int LineCount() const { return Core().LineCount(); }
  int TextWidth() const { return ToPixel(Core().TextWidth()); }
  int TextHeight() const { return ToPixel(Core().TextHeight()); }
  bool IsLinkHover() const { return FSelectedLink != nullptr; }
  TQxBaseLink* SelectedLink() const { return FSelectedLink.get(); }
  const std::vector<std::shared_ptr<TQxLinkRef>>& LinkRefs() const { return Core().LinkRefs(); }
  const std::vector<std::shared_ptr<TQxSpoiler>>& Spoilers() const { return Core().Spoilers(); }
  const std::vector<std::unique_ptr<TQxVisualItem>>& VisualItems() const {
    return Core().VisualItems();
  }

  void BeginUpdate() { ++FUpdatingSemaphore; }
  // Raises EVqHTMLText "There is no update started" without a BeginUpdate.
  void EndUpdate(bool forceRepaint);
  // Redoes the layout now.
  virtual void Rebuild() = 0;

 protected:
  enum TModifyFlag { mfBuild = 1, mfPaint = 2 };

  // Sets the field; true when that changed it.
  template <typename T>
  static bool Change(T& field, const T& value) {
    if (field == value) {
      return false;
    }
    field = value;
    return true;
  }

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
  // (and the label rebuilds), a reference's target opens when AutoOpenLink is on and
  // the target is not empty. Another kind of link is an internal error.
  void FollowLink(TQxBaseLink& link, const std::function<void(const std::u16string&)>& open);

  // The look of an item when painted, the link styles applied.
  TItemLook LookOf(const TQxVisualItem& item) const {
    return vornel::LookOf(item, FSelectedLink.get(), FStyleLinkNormal, FStyleLinkHover);
  }

  // The window system's part.
  virtual TQxLabel& Core() = 0;
  virtual const TQxLabel& Core() const = 0;
  // The background the label takes from its parent.
  virtual TColor ParentBackground() const = 0;
  virtual bool Shown() const = 0;
  // Asks the window system for a repaint.
  virtual void Invalidate() = 0;
  // Starts the one-shot frame timer; false when it cannot start.
  virtual bool StartFrameTimer(int milliseconds) = 0;
  virtual bool FrameTimerActive() const = 0;

  std::shared_ptr<TQxBaseLink> FSelectedLink;  // the link under the mouse

 private:
  using TClock = std::chrono::steady_clock;
  void RequestPaint();
  void Repaint();

  TVqLinkStyle FStyleLinkNormal{clBlue, clNone, false};
  TVqLinkStyle FStyleLinkHover{clRed, clNone, false};
  bool FAutoOpenLink = true;
  TColor FColor = clNone;
  bool FParentColor = true;
  int FUpdatingSemaphore = 0;
  bool FBuildPending = false;  // a layout held back with the repaint
  bool FPaintAsked = false;    // a repaint asked for, no paint since
  std::optional<TClock::time_point> FLastPaint;
};

}  // namespace vornel
