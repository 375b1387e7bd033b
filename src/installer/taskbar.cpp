#include "installer/taskbar.h"

#include <algorithm>

namespace vornel {

TTaskbar::TTaskbar(std::unique_ptr<ITaskbarSink> sink) : FSink(std::move(sink)) {}

void TTaskbar::SetProgressState(TTaskBarProgressState state) {
  if (state == FState)
    return;
  FState = state;
  PassProgress();
}

void TTaskbar::SetProgressValue(std::int64_t value) {
  value = std::clamp<std::int64_t>(value, 0, FMaxValue);
  if (value == FValue)
    return;
  FValue = value;
  PassProgress();
}

void TTaskbar::SetProgressMaxValue(std::int64_t maximum) {
  maximum = std::max<std::int64_t>(maximum, 0);
  if (maximum == FMaxValue)
    return;
  FMaxValue = maximum;
  FValue = std::min(FValue, FMaxValue);
  PassProgress();
}

void TTaskbar::SetToolTip(const std::u16string& toolTip) {
  if (toolTip == FToolTip)
    return;
  FToolTip = toolTip;
  if (FSink)
    FSink->SetThumbnailTooltip(FToolTip);
}

void TTaskbar::PassProgress() {
  if (!FSink)
    return;
  FSink->SetProgressValue(FValue, FMaxValue);
  FSink->SetProgressState(FState);
}

}  // namespace vornel
