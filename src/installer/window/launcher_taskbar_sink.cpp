#include "installer/window/launcher_taskbar_sink.h"

namespace vornel {

TLauncherTaskbarSink::TLauncherTaskbarSink(QString appId)
    : FEntry(std::make_unique<TLauncherEntry>(std::move(appId))) {}

TLauncherTaskbarSink::TLauncherTaskbarSink(std::unique_ptr<TLauncherEntry> entry)
    : FEntry(std::move(entry)) {}

void TLauncherTaskbarSink::SetProgressValue(std::int64_t value, std::int64_t maximum) {
  FValue = value;
  FMaximum = maximum;
  Pass();
}

void TLauncherTaskbarSink::SetProgressState(TTaskBarProgressState state) {
  FState = state;
  Pass();
}

void TLauncherTaskbarSink::Pass() {
  const double fraction =
      FMaximum > 0 ? static_cast<double>(FValue) / static_cast<double>(FMaximum) : 0.0;
  FEntry->SetProgress(FState != tbpsNone, fraction);
}

}  // namespace vornel
