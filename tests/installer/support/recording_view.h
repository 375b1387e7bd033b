// A view without a window: it keeps the state of every control as the window
// would, and records each operation in a log, for tests of the wizard's logic.
#pragma once

#include <array>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "installer/installer_view.h"
#include "zip/progress_meter.h"

namespace vornel {

class TRecordingView : public TInstallerView {
 public:
  // Every control as the window is built: the caption and the introduction hold
  // the product placeholder, page 0 is active.
  TRecordingView();

  void SetVisible(TControl control, bool visible) override;
  void SetEnabled(TControl control, bool enabled) override;
  std::u16string Caption() override { return FCaption; }
  void SetCaption(const std::u16string& caption) override;
  std::u16string ButtonCaption(TControl button) override;
  void SetButtonCaption(TControl button, const std::u16string& caption) override;
  void SetLabelText(TControl label, const std::u16string& markup) override;
  std::u16string LabelLinesText(TControl label) override;
  void SetLabelLinesText(TControl label, const std::u16string& text) override;
  void ShowPage(int pageIndex) override;
  void SetBusyCursor(bool busy) override;
  void SetWindowState(TWindowState state) override;
  std::int32_t ProgressMax(TControl bar) override;
  void SetProgressMax(TControl bar, std::int32_t maximum) override;
  void SetProgressPosition(TControl bar, std::int32_t position) override;
  TTaskbar& Taskbar() override { return FTaskbar; }
  // Counts the call and runs the first waiting entry of PumpActions, if any.
  void PumpMessages() override;
  void MessageBox(const std::u16string& text) override;
  void ErrorBox(const std::u16string& text) override;
  bool BackupChecked() override { return FBackupChecked; }
  void SetBackupChecked(bool checked) override;
  std::optional<std::u16string> PickFolder() override;
  // Runs OnClose with caFree; the window counts as closed unless it answers caNone.
  void Close() override;
  // A meter that keeps ArPB_Main's position and pumps, as the window's bar does.
  IArProgressMeter* UnpackMeter() override { return &FMeter; }

  // What happened, one line per operation ("SetVisible B_Storno 1",
  // "Taskbar.SetProgressValue 3 10").
  const std::vector<std::string>& Log() const { return FLog; }
  void ClearLog() { FLog.clear(); }

  bool Visible(TControl control) const { return Control(control).Visible; }
  bool Enabled(TControl control) const { return Control(control).Enabled; }
  // The label's lines joined with CR LF between them.
  std::u16string LabelText(TControl label) const;
  int Page() const { return FPage; }
  bool BusyCursor() const { return FBusyCursor; }
  TWindowState WindowState() const { return FWindowState; }
  std::int32_t ProgressPosition(TControl bar) const { return Control(bar).Position; }
  const std::vector<std::u16string>& MessageBoxes() const { return FMessageBoxes; }
  const std::vector<std::u16string>& ErrorBoxes() const { return FErrorBoxes; }
  int PumpCount() const { return FPumpCount; }
  int CloseRequests() const { return FCloseRequests; }
  bool Closed() const { return FClosed; }

  // Handlers that the window would run: the close request and the check box click.
  std::function<void(TCloseAction&)> OnClose;
  std::function<void()> OnBackupClick;
  // Work done inside pumps, one entry per pump: clicks, close requests.
  std::deque<std::function<void()>> PumpActions;
  // What the folder picker answers.
  std::optional<std::u16string> PickedFolder;

 private:
  class TPumpingMeter : public IArProgressMeter {
   public:
    explicit TPumpingMeter(TRecordingView& view) : FView(view) {}
    void DoProgress(std::uint8_t progress) override;
    void Reset() override { DoProgress(0); }

   private:
    TRecordingView& FView;
  };

  struct TControlState {
    bool Visible = true;
    bool Enabled = true;
    std::u16string Caption;
    std::vector<std::u16string> Lines;
    std::int32_t Maximum = 100;
    std::int32_t Position = 0;
  };
  TControlState& Control(TControl control) { return FControls[static_cast<std::size_t>(control)]; }
  const TControlState& Control(TControl control) const {
    return FControls[static_cast<std::size_t>(control)];
  }
  void Record(std::string line) { FLog.push_back(std::move(line)); }
  std::string Name(TControl control) const { return std::string(ControlName(control)); }

  std::array<TControlState, static_cast<std::size_t>(TControl::B_Storno) + 1> FControls;
  std::u16string FCaption;
  int FPage = TS_Step1;
  bool FBusyCursor = false;
  TWindowState FWindowState = wsNormal;
  bool FBackupChecked = false;
  std::vector<std::string> FLog;
  TTaskbar FTaskbar;  // its sink writes into FLog
  std::vector<std::u16string> FMessageBoxes;
  std::vector<std::u16string> FErrorBoxes;
  int FPumpCount = 0;
  int FCloseRequests = 0;
  bool FClosed = false;
  TPumpingMeter FMeter{*this};
};

}  // namespace vornel
