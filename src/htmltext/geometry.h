// Rectangles of the layout. Coordinates are 64-bit, so that positions taken
// from the markup can be added up without overflowing.
#pragma once

#include <algorithm>
#include <cstdint>

namespace vornel {

struct TRect64 {
  std::int64_t Left = 0;
  std::int64_t Top = 0;
  std::int64_t Right = 0;
  std::int64_t Bottom = 0;

  std::int64_t Width() const { return Right - Left; }
  std::int64_t Height() const { return Bottom - Top; }
  // Left and top inclusive, right and bottom exclusive.
  bool Contains(std::int64_t x, std::int64_t y) const {
    return x >= Left && x < Right && y >= Top && y < Bottom;
  }
  void Offset(std::int64_t dx, std::int64_t dy) {
    Left += dx, Right += dx, Top += dy, Bottom += dy;
  }
  bool operator==(const TRect64&) const = default;
};

struct TSize64 {
  std::int64_t Width = 0;
  std::int64_t Height = 0;
  bool operator==(const TSize64&) const = default;
};

// A layout coordinate as a window system's pixel coordinate, kept within a range
// that no sum of two of them overflows.
inline int ToPixel(std::int64_t value) {
  constexpr std::int64_t kMaxCoordinate = 1 << 24;
  return static_cast<int>(std::clamp(value, -kMaxCoordinate, kMaxCoordinate));
}

}  // namespace vornel
