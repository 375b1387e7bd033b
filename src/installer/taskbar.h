// The main window's taskbar button progress: a state, a value, a maximum and a tool
// tip. The wrapper keeps the value within 0 and the maximum and passes every change
// on to a platform sink.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace vornel {

enum TTaskBarProgressState { tbpsNone, tbpsIndeterminate, tbpsNormal, tbpsError, tbpsPaused };

// Where the platform receives the progress.
class ITaskbarSink {
 public:
  virtual ~ITaskbarSink() = default;
  virtual void SetProgressValue(std::int64_t value, std::int64_t maximum) = 0;
  virtual void SetProgressState(TTaskBarProgressState state) = 0;
  virtual void SetThumbnailTooltip(const std::u16string& toolTip) = 0;
};

class TTaskbar {
 public:
  explicit TTaskbar(std::unique_ptr<ITaskbarSink> sink = nullptr);

  // Null: changes are kept but go nowhere.
  void SetSink(std::unique_ptr<ITaskbarSink> sink) { FSink = std::move(sink); }

  TTaskBarProgressState ProgressState() const { return FState; }
  std::int64_t ProgressValue() const { return FValue; }
  std::int64_t ProgressMaxValue() const { return FMaxValue; }
  const std::u16string& ToolTip() const { return FToolTip; }

  void SetProgressState(TTaskBarProgressState state);
  // Held within 0 and the maximum.
  void SetProgressValue(std::int64_t value);
  // Held at 0 or above; a value above the new maximum is lowered to it.
  void SetProgressMaxValue(std::int64_t maximum);
  void SetToolTip(const std::u16string& toolTip);

 private:
  void PassProgress();

  std::unique_ptr<ITaskbarSink> FSink;
  TTaskBarProgressState FState = tbpsNone;
  std::int64_t FValue = 0;
  std::int64_t FMaxValue = 0;
  std::u16string FToolTip;
};

}  // namespace vornel
