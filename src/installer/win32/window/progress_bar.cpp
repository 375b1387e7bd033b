#include "installer/win32/window/progress_bar.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/exception.h"

namespace vornel {

TArProgressBar::TArProgressBar(HWND parent, const RECT& place, int id) {
  FHandle = CreateWindowExW(0, ClassName, L"", WS_CHILD, place.left, place.top,
                            place.right - place.left, place.bottom - place.top, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                            GetModuleHandleW(nullptr), nullptr);
  if (FHandle == nullptr)
    throw Exception(u"The progress bar cannot be made");
  SendMessageW(FHandle, PBM_SETRANGE32, 0, 100);
  SendMessageW(FHandle, PBM_SETPOS, 0, 0);
}

TArProgressBar::~TArProgressBar() {
  if (IsWindow(FHandle))
    DestroyWindow(FHandle);
}

std::int32_t TArProgressBar::Maximum() const {
  return static_cast<std::int32_t>(SendMessageW(FHandle, PBM_GETRANGE, FALSE, 0));
}

void TArProgressBar::SetMaximum(std::int32_t maximum) {
  maximum = std::max(maximum, 0);
  const std::int32_t position = Position();
  SendMessageW(FHandle, PBM_SETRANGE32, 0, maximum);
  // The bar keeps a position outside its new range; a meter stops at its end.
  if (position > maximum)
    SendMessageW(FHandle, PBM_SETPOS, static_cast<WPARAM>(maximum), 0);
}

std::int32_t TArProgressBar::Position() const {
  return static_cast<std::int32_t>(SendMessageW(FHandle, PBM_GETPOS, 0, 0));
}

void TArProgressBar::SetPosition(std::int32_t position) {
  position = std::clamp(position, 0, Maximum());
  SendMessageW(FHandle, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void TArProgressBar::DoProgress(std::uint8_t progress) {
  SetPosition(progress);
  if (OnPump)
    OnPump();
}

}  // namespace vornel
