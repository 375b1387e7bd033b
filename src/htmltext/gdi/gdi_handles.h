// Owners of GDI objects and device contexts, and a scoped selection into a
// device context.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

namespace vornel {

struct TGdiObjectDeleter {
  void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
template <typename T>
using TGdiObject = std::unique_ptr<std::remove_pointer_t<T>, TGdiObjectDeleter>;
using TFontHandle = TGdiObject<HFONT>;
using TBitmapHandle = TGdiObject<HBITMAP>;

// A memory device context compatible with another one (the screen for nullptr).
class TMemoryDC {
 public:
  explicit TMemoryDC(HDC compatible) : FDC(CreateCompatibleDC(compatible)) {}
  ~TMemoryDC() {
    if (FDC != nullptr) {
      DeleteDC(FDC);
    }
  }
  TMemoryDC(const TMemoryDC&) = delete;
  TMemoryDC& operator=(const TMemoryDC&) = delete;
  HDC Get() const { return FDC; }

 private:
  HDC FDC;
};

// An object selected into a device context until the end of the scope.
class TSelection {
 public:
  TSelection(HDC dc, HGDIOBJ object) : FDC(dc), FPrevious(SelectObject(dc, object)) {}
  ~TSelection() { SelectObject(FDC, FPrevious); }
  TSelection(const TSelection&) = delete;
  TSelection& operator=(const TSelection&) = delete;

 private:
  HDC FDC;
  HGDIOBJ FPrevious;
};

// The device context of a window (the screen for nullptr), released at the end.
class TWindowDC {
 public:
  explicit TWindowDC(HWND window) : FWindow(window), FDC(GetDC(window)) {}
  ~TWindowDC() { ReleaseDC(FWindow, FDC); }
  TWindowDC(const TWindowDC&) = delete;
  TWindowDC& operator=(const TWindowDC&) = delete;
  HDC Get() const { return FDC; }

 private:
  HWND FWindow;
  HDC FDC;
};

}  // namespace vornel
