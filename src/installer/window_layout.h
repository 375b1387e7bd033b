// The wizard window as built: every control with its parent, kind, place, font,
// text and initial state, in creation order (a parent before its children, and
// among siblings the later one lies above and follows in the tab order). The
// window of each window system builds itself from this table.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "installer/installer_view.h"

namespace vornel {

enum class TLayoutKind {
  lkPanel,        // a panel without bevel that paints its own background
  lkTitlePanel,   // a panel with only its bottom edge drawn as a flat bevel
  lkPlainLabel,   // one line of text, centred, filling its parent
  lkPicture,      // the window's picture
  lkPageControl,  // the page control whose tabs are hidden
  lkPage,         // one page of the page control, shown one at a time
  lkHTMLLabel,    // an HTML text label
  lkButton,       // a push button
  lkCheckBox,     // a check box that ticks itself when clicked
  lkProgressBar,  // a horizontal progress bar, 0 to 100 unless set
};

struct TLayoutRect {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
  bool operator==(const TLayoutRect&) const = default;
};

struct TLayoutControl {
  std::string_view Name;
  std::string_view Parent;  // the window itself: WindowName
  TLayoutKind Kind;
  TLayoutRect Place;  // pixels at 96 dots per inch in the parent's client area
  // The text, one entry a line; labels in the label markup.
  std::vector<std::u16string_view> Lines = {};
  // Character height in pixels at 96 dots per inch; 0: the window's font.
  int FontHeight = 0;
  bool Bold = false;
  bool Visible = true;
  bool AutoWidth = false;             // labels: sized to the text's width
  bool AutoHeight = false;            // labels: sized to the text's height
  bool ButtonFaceBackground = false;  // labels: a fixed colour instead of the parent's
  // The place in the tab order among the siblings; -1: none of its own.
  int TabOrder = -1;
  // The control's role in the view, where the logic uses it.
  std::optional<TControl> Role = std::nullopt;
};

inline constexpr std::string_view WindowName = "MainInstallForm";
// The caption before the product is put in.
inline constexpr std::u16string_view WindowCaption = u"Vornel instalátor: #PRODUKT#";
// The client area at 96 dots per inch.
inline constexpr int WindowClientWidth = 594;
inline constexpr int WindowClientHeight = 269;
// The window's font: Tahoma of this character height (8 points at 96 dots per inch).
inline constexpr int WindowFontHeight = 11;
inline constexpr std::u16string_view WindowFontFamily = u"Tahoma";

// A control's text as one string, its lines joined with the separator.
std::u16string JoinedText(const TLayoutControl& control, std::u16string_view separator);

// Every control in creation order.
std::span<const TLayoutControl> WindowLayout();
// The row of that name; null when there is none.
const TLayoutControl* LayoutControl(std::string_view name);
// The row of the view's control.
const TLayoutControl& LayoutControl(TControl role);

}  // namespace vornel
