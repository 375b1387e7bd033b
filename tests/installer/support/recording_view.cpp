#include "installer/support/recording_view.h"

#include <memory>
#include <utility>

#include "installer/label_lines.h"
#include "platform/text.h"

namespace vornel {

namespace {

constexpr const char* kStateNames[] = {"None", "Indeterminate", "Normal", "Error", "Paused"};

class TRecordingTaskbarSink : public ITaskbarSink {
 public:
  explicit TRecordingTaskbarSink(std::vector<std::string>& log) : FLog(log) {}

  void SetProgressValue(std::int64_t value, std::int64_t maximum) override {
    FLog.push_back("Taskbar.SetProgressValue " + std::to_string(value) + " " +
                   std::to_string(maximum));
  }
  void SetProgressState(TTaskBarProgressState state) override {
    FLog.push_back(std::string("Taskbar.SetProgressState ") + kStateNames[state]);
  }
  void SetThumbnailTooltip(const std::u16string& toolTip) override {
    FLog.push_back("Taskbar.SetThumbnailTooltip " + ToUtf8(toolTip));
  }

 private:
  std::vector<std::string>& FLog;
};

std::string Flag(bool value) {
  return value ? "1" : "0";
}

}  // namespace

TRecordingView::TRecordingView()
    : FCaption(u"Vornel instalátor: #PRODUKT#"),
      FTaskbar(std::make_unique<TRecordingTaskbarSink>(FLog)) {
  for (TControl hidden :
       {TControl::HTMText_InfoDown, TControl::B_StornoDown, TControl::ArPB_Down,
        TControl::HTMText_Krok2_2, TControl::HTMText_BackupFolder, TControl::ArPB_Main,
        TControl::HTMText_InfoSetup_NoOK, TControl::HTMText_InfoSetup_OK, TControl::B_Storno}) {
    Control(hidden).Visible = false;
  }
  Control(TControl::HTMText_Uvod).Lines = {
      u"S instalací <B>#PRODUKT#</B> Vám pomůže náš instalátor. Postupujte podle "
      u"následujících kroků:"};
  Control(TControl::HTMText_InfoDown).Lines = {u" "};
  Control(TControl::HTMText_BackupFolder).Lines = {u" "};
  Control(TControl::B_StartK1).Caption = u"Start";
  Control(TControl::B_StornoDown).Caption = u"Storno";
  Control(TControl::B_RozbalK2).Caption = u"Rozbalit";
  Control(TControl::B_InstalK3).Caption = u"Instalovat";
  Control(TControl::B_Storno).Caption = u"Storno";
}

void TRecordingView::SetVisible(TControl control, bool visible) {
  Control(control).Visible = visible;
  Record("SetVisible " + Name(control) + " " + Flag(visible));
}

void TRecordingView::SetEnabled(TControl control, bool enabled) {
  Control(control).Enabled = enabled;
  Record("SetEnabled " + Name(control) + " " + Flag(enabled));
}

void TRecordingView::SetCaption(const std::u16string& caption) {
  FCaption = caption;
  Record("SetCaption " + ToUtf8(caption));
}

std::u16string TRecordingView::ButtonCaption(TControl button) {
  return Control(button).Caption;
}

void TRecordingView::SetButtonCaption(TControl button, const std::u16string& caption) {
  Control(button).Caption = caption;
  Record("SetButtonCaption " + Name(button) + " " + ToUtf8(caption));
}

void TRecordingView::SetLabelText(TControl label, const std::u16string& markup) {
  Control(label).Lines = SplitLinesText(markup);
  Record("SetLabelText " + Name(label) + " " + ToUtf8(markup));
}

std::u16string TRecordingView::LabelLinesText(TControl label) {
  return LinesText(Control(label).Lines);
}

void TRecordingView::SetLabelLinesText(TControl label, const std::u16string& text) {
  Control(label).Lines = SplitLinesText(text);
  Record("SetLabelLinesText " + Name(label) + " " + ToUtf8(text));
}

std::u16string TRecordingView::LabelText(TControl label) const {
  const auto& lines = Control(label).Lines;
  std::u16string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0)
      text += u"\r\n";
    text += lines[i];
  }
  return text;
}

void TRecordingView::ShowPage(int pageIndex) {
  FPage = pageIndex;
  Record("ShowPage " + std::to_string(pageIndex));
}

void TRecordingView::SetBusyCursor(bool busy) {
  FBusyCursor = busy;
  Record("SetBusyCursor " + Flag(busy));
}

void TRecordingView::SetWindowState(TWindowState state) {
  FWindowState = state;
  Record(state == wsMinimized ? "SetWindowState Minimized" : "SetWindowState Normal");
}

std::int32_t TRecordingView::ProgressMax(TControl bar) {
  return Control(bar).Maximum;
}

void TRecordingView::SetProgressMax(TControl bar, std::int32_t maximum) {
  Control(bar).Maximum = maximum;
  Record("SetProgressMax " + Name(bar) + " " + std::to_string(maximum));
}

void TRecordingView::SetProgressPosition(TControl bar, std::int32_t position) {
  Control(bar).Position = position;
  Record("SetProgressPosition " + Name(bar) + " " + std::to_string(position));
}

void TRecordingView::TPumpingMeter::DoProgress(std::uint8_t progress) {
  FView.Control(TControl::ArPB_Main).Position = progress;
  FView.PumpMessages();
}

void TRecordingView::PumpMessages() {
  ++FPumpCount;
  if (PumpActions.empty())
    return;
  // Taken off first: the action may pump again.
  std::function<void()> action = std::move(PumpActions.front());
  PumpActions.pop_front();
  action();
}

void TRecordingView::MessageBox(const std::u16string& text) {
  FMessageBoxes.push_back(text);
  Record("MessageBox " + ToUtf8(text));
}

void TRecordingView::ErrorBox(const std::u16string& text) {
  FErrorBoxes.push_back(text);
  Record("ErrorBox " + ToUtf8(text));
}

void TRecordingView::SetBackupChecked(bool checked) {
  if (checked == FBackupChecked)
    return;
  FBackupChecked = checked;
  Record("SetBackupChecked " + Flag(checked));
  if (OnBackupClick)
    OnBackupClick();
}

std::optional<std::u16string> TRecordingView::PickFolder() {
  Record("PickFolder");
  return PickedFolder;
}

void TRecordingView::Close() {
  ++FCloseRequests;
  Record("Close");
  TCloseAction action = caFree;
  if (OnClose)
    OnClose(action);
  if (action != caNone)
    FClosed = true;
}

}  // namespace vornel
