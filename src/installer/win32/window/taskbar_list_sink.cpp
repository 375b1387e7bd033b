#include "installer/win32/window/taskbar_list_sink.h"

#include <utility>

namespace vornel {

namespace {

TBPFLAG FlagOf(TTaskBarProgressState state) {
  switch (state) {
    case tbpsNone:
      return TBPF_NOPROGRESS;
    case tbpsIndeterminate:
      return TBPF_INDETERMINATE;
    case tbpsNormal:
      return TBPF_NORMAL;
    case tbpsError:
      return TBPF_ERROR;
    case tbpsPaused:
      return TBPF_PAUSED;
  }
  return TBPF_NOPROGRESS;
}

ITaskbarList3* ShellTaskbarList() {
  ITaskbarList3* list = nullptr;
  if (FAILED(
          CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&list))))
    return nullptr;
  return list;
}

}  // namespace

TTaskbarListSink::TTaskbarListSink(HWND window, TListFactory factory)
    : FWindow(window), FFactory(factory ? std::move(factory) : TListFactory(ShellTaskbarList)) {}

TTaskbarListSink::~TTaskbarListSink() {
  if (FTimerArmed && IsWindow(FWindow))
    KillTimer(FWindow, TimerId);
}

void TTaskbarListSink::SetProgressValue(std::int64_t value, std::int64_t maximum) {
  FPending.Value = value;
  FPending.Maximum = maximum;
  Changed();
}

void TTaskbarListSink::SetProgressState(TTaskBarProgressState state) {
  FPending.State = state;
  Changed();
}

void TTaskbarListSink::SetThumbnailTooltip(const std::u16string& toolTip) {
  FToolTip = toolTip;
  if (FList)
    FList->SetThumbnailTooltip(FWindow, reinterpret_cast<LPCWSTR>(FToolTip.c_str()));
}

bool TTaskbarListSink::ButtonCreated() {
  if (!FList) {
    *FList.Out() = FFactory();
    if (!FList || FAILED(FList->HrInit())) {
      FList.Reset();
      return false;
    }
  }
  FEverSent = false;
  if (!FToolTip.empty())
    FList->SetThumbnailTooltip(FWindow, reinterpret_cast<LPCWSTR>(FToolTip.c_str()));
  Send();
  return true;
}

void TTaskbarListSink::TimerFired() {
  KillTimer(FWindow, TimerId);
  FTimerArmed = false;
  Send();
}

// What the button shows of the progress: no value without a bar.
TTaskbarListSink::TProgress TTaskbarListSink::Shown(TProgress progress) {
  if (progress.State == tbpsNone || progress.State == tbpsIndeterminate) {
    progress.Value = 0;
    progress.Maximum = 0;
  }
  return progress;
}

void TTaskbarListSink::Changed() {
  if (!FList || FTimerArmed || (FEverSent && Shown(FPending) == FSent))
    return;
  const ULONGLONG now = GetTickCount64();
  if (!FEverSent || now - FSentAt >= MinIntervalMs) {
    Send();
    return;
  }
  FTimerArmed =
      SetTimer(FWindow, TimerId, static_cast<UINT>(MinIntervalMs - (now - FSentAt)), nullptr) != 0;
  if (!FTimerArmed)
    Send();
}

void TTaskbarListSink::Send() {
  if (!FList || (FEverSent && Shown(FPending) == FSent))
    return;
  // The state first: a value given while the button shows no progress would
  // switch it to normal progress.
  FList->SetProgressState(FWindow, FlagOf(FPending.State));
  if (FPending.State != tbpsNone && FPending.State != tbpsIndeterminate) {
    FList->SetProgressValue(FWindow, static_cast<ULONGLONG>(FPending.Value),
                            static_cast<ULONGLONG>(FPending.Maximum));
  }
  FSent = Shown(FPending);
  FEverSent = true;
  FSentAt = GetTickCount64();
}

}  // namespace vornel
