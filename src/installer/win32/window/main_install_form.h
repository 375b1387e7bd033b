// The installer's one window on Win32: a fixed-size top-level window with the
// title panel, the picture and the three wizard pages as native child windows,
// built from the window's layout table and realising the view that the wizard's
// logic drives. The window owns every control, the taskbar button's progress and
// the wizard; building it runs the creation handler.
#pragma once

// The logic's headers first: windows.h defines macros of names they use.
#include "installer/installer_environment.h"
#include "installer/installer_state.h"
#include "installer/installer_view.h"
#include "installer/installer_wizard.h"
#include "installer/window_layout.h"

#include <windows.h>
// The view's operation of that name, not the system's macro for MessageBoxW.
#undef MessageBox

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "htmltext/gdi/gdi_handles.h"

namespace vornel {

class IArProgressMeter;
class TArProgressBar;
class TPicture;
class TTaskbarListSink;
class TVqHTMLText;

class TMainInstallForm : public TInstallerView {
 public:
  // The window class of the top-level window.
  static constexpr wchar_t ClassName[] = L"TMainInstallForm";

  // Builds the window hidden; Show shows it. Raises Exception when a window
  // cannot be made.
  TMainInstallForm(TInstallerState& state, TInstallerEnvironment environment);
  ~TMainInstallForm() override;
  TMainInstallForm(const TMainInstallForm&) = delete;
  TMainInstallForm& operator=(const TMainInstallForm&) = delete;

  // Centred on the screen's work area the first time, shown, the keyboard focus on
  // the first control that takes it.
  void Show();

  // TInstallerView
  void SetVisible(TControl control, bool visible) override;
  void SetEnabled(TControl control, bool enabled) override;
  std::u16string Caption() override;
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
  // Handles the waiting messages, at most once a millisecond: a download pumps
  // after every block, tens of thousands of times a second, and a queue handled a
  // moment ago holds nothing yet.
  void PumpMessages() override;
  static constexpr ULONGLONG PumpIntervalMs = 1;
  void MessageBox(const std::u16string& text) override;
  void ErrorBox(const std::u16string& text) override;
  bool BackupChecked() override;
  void SetBackupChecked(bool checked) override;
  std::optional<std::u16string> PickFolder() override;
  void Close() override;
  IArProgressMeter* UnpackMeter() override;

  // Runs handler when the button is clicked; whatever leaves the handler goes to
  // the application's default handling and the message loop goes on.
  void OnClick(TControl button, std::function<void()> handler);
  // Runs whenever the backup box is clicked or its tick is set from code.
  std::function<void()> OnBackupClick;
  // The folder picker behind PickFolder, the system's dialog unless replaced;
  // nothing when the user cancels.
  std::function<std::optional<std::u16string>()> OnPickFolder;
  // Runs when a close request has been granted: the application's loop ends.
  std::function<void()> OnClosed;

  HWND Handle() const { return FHandle; }
  // The window of that name in the layout, or the top-level window for its name;
  // null for an unknown name.
  HWND Control(std::string_view name) const;
  HWND Control(TControl control) const { return Control(ControlName(control)); }
  TVqHTMLText* Label(std::string_view name) const;
  TVqHTMLText* Label(TControl label) const { return Label(ControlName(label)); }
  TInstallerWizard& Wizard() { return *FWizard; }
  // The page now shown (0, 1 or 2).
  int PageIndex() const { return FPageIndex; }
  bool BusyCursor() const { return FBusyCursor; }
  // The system's dots per inch that the 96-dpi geometry is scaled to.
  int Dpi() const { return FDpi; }
  int Scale(int pixels) const { return MulDiv(pixels, FDpi, 96); }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void Build();
  HWND MakeControl(const TLayoutControl& row, HWND parent, int id);
  HFONT FontOf(int height, bool bold);
  void Command(int id, int code);
  void CloseRequested();
  // Moves the keyboard focus away from a control about to be hidden or disabled.
  void LeaveFocus(HWND control);
  void FocusFirst();
  TArProgressBar& Bar(TControl bar) const;
  void ChB_ZalohaClick();

  HWND FHandle = nullptr;
  HFONT FFont = nullptr;  // the window's font, owned by FFonts
  int FDpi = 96;
  std::map<std::string_view, HWND> FWindows;
  std::map<std::string_view, std::unique_ptr<TVqHTMLText>> FLabels;
  std::map<std::string_view, std::unique_ptr<TArProgressBar>> FBars;
  std::map<int, std::function<void()>> FClickHandlers;  // by control id
  std::map<std::string_view, int> FIds;
  std::vector<TFontHandle> FFonts;
  std::map<std::pair<int, bool>, HFONT> FFontsBySize;
  std::unique_ptr<TPicture> FPicture;
  std::vector<HWND> FPages;
  HWND FTitleLabel = nullptr;
  int FPageIndex = 0;
  UINT FTaskbarButtonCreated = 0;
  TTaskbarListSink* FTaskbarSink = nullptr;  // owned by FTaskbar
  TTaskbar FTaskbar;
  bool FBusyCursor = false;
  bool FCentred = false;
  ULONGLONG FLastPump = 0;
  std::unique_ptr<TInstallerWizard> FWizard;
};

}  // namespace vornel
