// The taskbar button's progress passed on to the desktop's launcher entry: the
// state None hides the progress, every other state shows value / maximum. The
// tool tip has no counterpart there and is only kept.
#pragma once

#include <QString>
#include <memory>

#include "installer/taskbar.h"
#include "installer/window/launcher_entry.h"

namespace vornel {

class TLauncherTaskbarSink : public ITaskbarSink {
 public:
  explicit TLauncherTaskbarSink(QString appId);
  explicit TLauncherTaskbarSink(std::unique_ptr<TLauncherEntry> entry);

  void SetProgressValue(std::int64_t value, std::int64_t maximum) override;
  void SetProgressState(TTaskBarProgressState state) override;
  void SetThumbnailTooltip(const std::u16string& toolTip) override { FToolTip = toolTip; }

  const std::u16string& ToolTip() const { return FToolTip; }

 private:
  void Pass();

  std::unique_ptr<TLauncherEntry> FEntry;
  std::int64_t FValue = 0;
  std::int64_t FMaximum = 0;
  TTaskBarProgressState FState = tbpsNone;
  std::u16string FToolTip;
};

}  // namespace vornel
