// The positioned results of a layout run, owned by the label.
#pragma once

#include <memory>
#include <string>

#include "htmltext/color.h"
#include "htmltext/font.h"
#include "htmltext/geometry.h"
#include "htmltext/links.h"

namespace vornel {

// A picture for the "IMGRES" tag; the widget layer derives the real image.
class TQxPicture {
 public:
  virtual ~TQxPicture() = default;
  virtual int Width() const { return 0; }
  virtual int Height() const { return 0; }
};

class TQxVisualItem {
 public:
  virtual ~TQxVisualItem() = default;
  TRect64 Rect;
  TColor BColor = clNone;
  std::shared_ptr<TQxBaseLink> Link;
};

class TQxVisualItem_Word : public TQxVisualItem {
 public:
  std::u16string Text;
  TQxFont Font;
  std::int64_t YPos = 0;  // vertical offset of the text inside the rectangle
};

class TQxVisualItem_Image : public TQxVisualItem {
 public:
  std::int64_t ImageIndex = 0;
};

class TQxVisualItem_ImageResource : public TQxVisualItem {
 public:
  std::shared_ptr<TQxPicture> Picture;
};

}  // namespace vornel
