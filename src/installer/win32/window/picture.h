// The window's picture: a PNG held as an RCDATA resource of the executable,
// decoded through the Windows Imaging Component into a 32-bit bitmap with
// premultiplied alpha, drawn with its transparency.
#pragma once

#include <windows.h>

#include "htmltext/gdi/gdi_handles.h"

namespace vornel {

class TPicture {
 public:
  // The resource of that name; an empty picture when the executable holds none
  // or it cannot be decoded.
  explicit TPicture(const wchar_t* resourceName);

  bool Empty() const { return !FBitmap; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  // Draws the picture centred in the rectangle, scaled proportionally to fit it.
  void Draw(HDC dc, const RECT& area) const;

 private:
  TBitmapHandle FBitmap;
  int FWidth = 0;
  int FHeight = 0;
};

}  // namespace vornel
