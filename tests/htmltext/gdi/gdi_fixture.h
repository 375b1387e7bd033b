// What the label tests on GDI share: the embedded Tahoma registered for the whole
// run, a shown top-level window to put labels on, the message pump, and the
// pixels of a window as the screen shows them or as the window draws itself.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

#include "htmltext/gdi/gdi_handles.h"
#include "htmltext/gdi/tahoma_fallback.h"

namespace vornel {

class TTahomaEnvironment : public testing::Environment {
 public:
  void SetUp() override { FFallback = std::make_unique<TTahomaFallback>(); }
  void TearDown() override { FFallback.reset(); }

 private:
  std::unique_ptr<TTahomaFallback> FFallback;
};

// One registration for the whole test program.
[[maybe_unused]] inline testing::Environment* const kTahomaEnvironment =
    testing::AddGlobalTestEnvironment(new TTahomaEnvironment);

// Handles the messages that come until the time is up.
inline void Pump(std::chrono::milliseconds duration) {
  const auto end = std::chrono::steady_clock::now() + duration;
  do {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
  } while (std::chrono::steady_clock::now() < end);
}

// An image of 32-bit pixels, 0x00RRGGBB, rows from the top.
struct TPixels {
  int Width = 0;
  int Height = 0;
  std::vector<std::uint32_t> Data;

  std::uint32_t At(int x, int y) const { return Data[std::size_t(y) * Width + x]; }
  static bool Dark(std::uint32_t pixel) {
    const int r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
    return r * 30 + g * 59 + b * 11 < 128 * 100;
  }
  int DarkCount() const {
    int count = 0;
    for (std::uint32_t pixel : Data) {
      count += Dark(pixel) ? 1 : 0;
    }
    return count;
  }
  // The columns from the first to the last one with a dark pixel.
  int InkWidth() const {
    int first = Width, last = -1;
    for (int y = 0; y < Height; ++y) {
      for (int x = 0; x < Width; ++x) {
        if (Dark(At(x, y))) {
          first = std::min(first, x);
          last = std::max(last, x);
        }
      }
    }
    return last < first ? 0 : last - first + 1;
  }
  bool operator==(const TPixels&) const = default;
};

// Draws into a 32-bit image of the window's client size: from the screen, or by
// asking the window to draw itself (WM_PRINTCLIENT).
inline TPixels Pixels(HWND window, bool fromScreen) {
  RECT client{};
  GetClientRect(window, &client);
  TPixels pixels;
  pixels.Width = client.right;
  pixels.Height = client.bottom;
  if (pixels.Width <= 0 || pixels.Height <= 0) {
    return pixels;
  }
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = pixels.Width;
  info.bmiHeader.biHeight = -pixels.Height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  TBitmapHandle bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  EXPECT_TRUE(bitmap);
  TMemoryDC dc(nullptr);
  {
    TSelection select(dc.Get(), bitmap.get());
    if (fromScreen) {
      TWindowDC source(window);
      BitBlt(dc.Get(), 0, 0, pixels.Width, pixels.Height, source.Get(), 0, 0, SRCCOPY);
    } else {
      SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.Get()), PRF_CLIENT);
    }
    GdiFlush();
  }
  const auto* data = static_cast<const std::uint32_t*>(bits);
  pixels.Data.assign(data, data + std::size_t(pixels.Width) * pixels.Height);
  for (std::uint32_t& pixel : pixels.Data) {
    pixel &= 0xFFFFFF;
  }
  return pixels;
}

// A shown top-level window of the installer's client size.
class TTestWindow {
 public:
  TTestWindow() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW info{};
    info.cbSize = sizeof(info);
    if (!GetClassInfoExW(instance, L"VornelTestParent", &info)) {
      info.lpfnWndProc = DefWindowProcW;
      info.hInstance = instance;
      info.hCursor = LoadCursorW(nullptr, IDC_ARROW);
      info.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
      info.lpszClassName = L"VornelTestParent";
      RegisterClassExW(&info);
    }
    RECT frame{0, 0, 594, 269};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    FHandle = CreateWindowExW(0, L"VornelTestParent", L"Label test", WS_OVERLAPPEDWINDOW, 10, 10,
                              frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                              instance, nullptr);
    EXPECT_NE(FHandle, nullptr);
    ShowWindow(FHandle, SW_SHOWNORMAL);
    UpdateWindow(FHandle);
  }
  ~TTestWindow() { DestroyWindow(FHandle); }
  TTestWindow(const TTestWindow&) = delete;
  TTestWindow& operator=(const TTestWindow&) = delete;
  HWND Handle() const { return FHandle; }

 private:
  HWND FHandle = nullptr;
};

}  // namespace vornel
