// The pre-objects of a layout run: what the tokens become before lines are
// broken and items placed.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <variant>

#include "htmltext/geometry.h"
#include "htmltext/label.h"
#include "htmltext/visual_item.h"

namespace vornel {

struct TPreObj_Visual {
  TSize64 Size;
  std::size_t Line = 0;                  // index of its line
  std::size_t Group = 0;                 // index of its line part
  std::optional<std::int64_t> FixedPos;  // left edge, when the position is fixed
  THorzAlign Align = THorzAlign::haLeft;
  std::int64_t LineSpace = 0;
  bool Space = false;          // a single space
  bool Print = false;          // shown
  bool BreakableChar = false;  // a single word-break character
  bool BreakCheckDone = false;
  std::unique_ptr<TQxVisualItem> Visual;
};

struct TPreObj_Tab {
  std::int64_t Position = 0;
  bool Fixed = false;
};

struct TPreObj_Break {
  std::int64_t Height = 0;  // text height of one space in the current font
};

struct TPreObj_Float {
  TRect64 Rect;
  bool HasWidth = false;
  bool Close = false;
};

using TPreObj = std::variant<TPreObj_Visual, TPreObj_Tab, TPreObj_Break, TPreObj_Float>;

struct TLineInfo {
  std::int64_t Height = 0;
  std::int64_t Space = 0;
};

struct TGroupBound {
  std::int64_t Right = 0;
  std::optional<std::int64_t> Limit;  // the label itself when empty
};

}  // namespace vornel
