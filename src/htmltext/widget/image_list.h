// A list of pictures of one size, for the label's "IMG" tag.
#pragma once

#include <QImage>
#include <QObject>
#include <vector>

namespace vornel {

class TVqImageList : public QObject {
 public:
  TVqImageList(int width, int height, QObject* parent = nullptr)
      : QObject(parent), FWidth(width), FHeight(height) {}

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  int Count() const { return static_cast<int>(FImages.size()); }
  void Add(QImage image) { FImages.push_back(std::move(image)); }
  // The picture of that index, or nullptr.
  const QImage* Image(std::int64_t index) const {
    return index >= 0 && index < Count() ? &FImages[static_cast<std::size_t>(index)] : nullptr;
  }

 private:
  int FWidth;
  int FHeight;
  std::vector<QImage> FImages;
};

}  // namespace vornel
