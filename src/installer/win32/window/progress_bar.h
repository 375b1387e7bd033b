// A horizontal progress bar (msctls_progress32) that serves as a progress meter:
// each percentage moves the bar and then lets the window handle its pending
// messages, so that it stays responsive during a long extraction.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "zip/progress_meter.h"

namespace vornel {

class TArProgressBar : public IArProgressMeter {
 public:
  static constexpr wchar_t ClassName[] = L"msctls_progress32";

  // A hidden bar of range 0 to 100 at the place in the parent's client pixels.
  // Raises Exception when the window cannot be made.
  TArProgressBar(HWND parent, const RECT& place, int id);
  ~TArProgressBar() override;
  TArProgressBar(const TArProgressBar&) = delete;
  TArProgressBar& operator=(const TArProgressBar&) = delete;

  HWND Handle() const { return FHandle; }
  std::int32_t Maximum() const;
  // At least 0; a position above it is lowered to it.
  void SetMaximum(std::int32_t maximum);
  std::int32_t Position() const;
  // Held within 0 and the maximum.
  void SetPosition(std::int32_t position);

  void DoProgress(std::uint8_t progress) override;
  void Reset() override { DoProgress(0); }

  // What DoProgress runs after moving the bar (the window's message pump).
  std::function<void()> OnPump;

 private:
  HWND FHandle = nullptr;
};

}  // namespace vornel
