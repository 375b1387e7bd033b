// A picture of the label's "IMGRES" tag on Qt.
#pragma once

#include <QImage>

#include "htmltext/visual_item.h"

namespace vornel {

class TQtPicture : public TQxPicture {
 public:
  explicit TQtPicture(QImage image = {}) : Image(std::move(image)) {}
  int Width() const override { return Image.width(); }
  int Height() const override { return Image.height(); }
  QImage Image;
};

}  // namespace vornel
