// The taskbar button's progress through the shell's ITaskbarList3. The shell
// takes it only once the button exists, which the window learns from the
// registered "TaskbarButtonCreated" message: until then, and between two changes
// closer than MinIntervalMs, the newest progress is kept and passed on later.
#pragma once

#include <windows.h>

#include <shobjidl.h>

#include <cstdint>
#include <functional>
#include <string>

#include "installer/taskbar.h"
#include "installer/win32/window/com_ptr.h"

namespace vornel {

class TTaskbarListSink : public ITaskbarSink {
 public:
  static constexpr UINT_PTR TimerId = 0x7A5B;
  static constexpr ULONGLONG MinIntervalMs = 100;

  // Makes the shell's list: a new reference, or null when there is none.
  using TListFactory = std::function<ITaskbarList3*()>;

  // The button of the top-level window; its window procedure hands on the
  // button message and the timer. The list comes from the shell unless the
  // factory says otherwise.
  explicit TTaskbarListSink(HWND window, TListFactory factory = nullptr);
  ~TTaskbarListSink() override;
  TTaskbarListSink(const TTaskbarListSink&) = delete;
  TTaskbarListSink& operator=(const TTaskbarListSink&) = delete;

  void SetProgressValue(std::int64_t value, std::int64_t maximum) override;
  void SetProgressState(TTaskBarProgressState state) override;
  void SetThumbnailTooltip(const std::u16string& toolTip) override;

  // The button exists (again, after the shell restarted): connects and passes on
  // the newest progress. False when the shell offers no taskbar list.
  bool ButtonCreated();
  // The timer of a change held back has fired.
  void TimerFired();
  bool Connected() const { return static_cast<bool>(FList); }

 private:
  struct TProgress {
    std::int64_t Value = 0;
    std::int64_t Maximum = 0;
    TTaskBarProgressState State = tbpsNone;
    bool operator==(const TProgress&) const = default;
  };

  static TProgress Shown(TProgress progress);
  void Changed();
  void Send();

  HWND FWindow;
  TListFactory FFactory;
  TComPtr<ITaskbarList3> FList;
  TProgress FPending;
  TProgress FSent;
  bool FEverSent = false;
  bool FTimerArmed = false;
  ULONGLONG FSentAt = 0;
  std::u16string FToolTip;
};

}  // namespace vornel
