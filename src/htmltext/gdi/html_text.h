// The HTML text label on Win32: a child window that shows a text written in the
// label markup, rebuilds its layout whenever something that affects it changes,
// can size itself to its text, paints opaquely through one off-screen image and
// reacts to the mouse over links and spoiler titles.
#pragma once

#include <windows.h>

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "htmltext/color.h"
#include "htmltext/gdi/gdi_text_surface.h"
#include "htmltext/label.h"
#include "htmltext/label_events.h"
#include "htmltext/link_style.h"
#include "htmltext/links.h"

namespace vornel {

class TVqHTMLText : public TLabelEvents<TVqHTMLText> {
 public:
  using TOpener = std::function<void(const std::u16string& target)>;

  // A child window of the parent at the place given in the parent's client
  // pixels. Raises EVqHTMLText when the window cannot be made.
  TVqHTMLText(HWND parent, const RECT& place);
  ~TVqHTMLText() override;
  TVqHTMLText(const TVqHTMLText&) = delete;
  TVqHTMLText& operator=(const TVqHTMLText&) = delete;

  HWND Handle() const { return FHandle; }

  // The base font (Tahoma 8 points unless set), its colour included.
  const TQxFont& Font() const { return FFont; }
  void SetFont(const TQxFont& font);

  // The label's client size.
  SIZE Size() const;
  // How many layouts and how many paints have run.
  int RebuildCount() const { return FRebuildCount; }
  int PaintCount() const { return FPaintCount; }
  void Rebuild() override;

  // Draws the label as a paint does onto a device context, at its origin.
  void PaintTo(HDC dc);

  // Opens a link's target; starts as the shell's "open".
  TOpener Opener;

 private:
  class TCore;

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  TQxLabel& Core() override { return *FCore; }
  const TQxLabel& Core() const override { return *FCore; }
  TColor ParentBackground() const override {
    return static_cast<TColor>(GetSysColor(COLOR_BTNFACE));
  }
  bool Shown() const override { return IsWindowVisible(FHandle) != FALSE; }
  void Invalidate() override { InvalidateRect(FHandle, nullptr, FALSE); }
  bool StartFrameTimer(int milliseconds) override;
  bool FrameTimerActive() const override { return FTimerActive; }
  void Paint();
  void MouseAt(int x, int y);
  void ApplyTextSize(std::int64_t width, std::int64_t height);
  void LogUnhandled(const std::exception& error) override;

  HWND FHandle = nullptr;
  TGdiTextSurface FSurface;
  std::unique_ptr<TQxLabel> FCore;  // a TCore
  TQxFont FFont;
  bool FTrackingMouse = false;
  bool FResizing = false;   // the label sizes itself
  SIZE FBuiltSize{-1, -1};  // the size the last layout ran at
  int FRebuildCount = 0;
  int FPaintCount = 0;
  bool FTimerActive = false;  // a repaint held back to the end of the frame
};

}  // namespace vornel
