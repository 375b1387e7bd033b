// The wizard window as its logic sees it: named controls, three pages, the
// taskbar button and the operations the steps perform on them. The concrete
// window realises it; tests use a view that records what it is asked to do.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "installer/taskbar.h"

namespace vornel {

class IArProgressMeter;

// The controls that the logic reads or changes, by their names on the window.
enum class TControl : std::uint8_t {
  HTMText_Uvod,            // HTML text label above the pages
  HTMText_InfoDown,        // page 0: download status line
  B_StartK1,               // page 0: "Start"
  B_StornoDown,            // page 0: "Storno" cancelling the download
  ArPB_Down,               // page 0: download progress bar
  HTMText_Krok2_1,         // page 1
  HTMText_Krok2_2,         // page 1: text while unpacking
  HTMText_BackupFolder,    // page 1: the picked backup folder
  ChB_Zaloha,              // page 1: backup check box
  B_RozbalK2,              // page 1: "Rozbalit"
  ArPB_Main,               // page 1: unpack item progress bar
  HTMText_InfoSetup_NoOK,  // page 2: failure text
  HTMText_InfoSetup_OK,    // page 2: success text, lies above the failure text
  B_InstalK3,              // page 2: "Instalovat", then "Dokončit"
  B_Storno,                // page 2: "Storno" closing the installer
};

// The control's name on the window ("B_StartK1").
std::string_view ControlName(TControl control);

enum TWindowState { wsNormal, wsMinimized };

// What a close request ends in: caFree closes the window and ends the application,
// caNone keeps it open.
enum TCloseAction { caNone, caFree };

// Pages of the wizard, shown one at a time.
inline constexpr int TS_Step1 = 0;  // download
inline constexpr int TS_Step2 = 1;  // unpack
inline constexpr int TS_Step3 = 2;  // install

class TInstallerView {
 public:
  virtual ~TInstallerView() = default;

  virtual void SetVisible(TControl control, bool visible) = 0;
  // Buttons and the check box: whether the control takes input.
  virtual void SetEnabled(TControl control, bool enabled) = 0;

  // The window's title bar text.
  virtual std::u16string Caption() = 0;
  virtual void SetCaption(const std::u16string& caption) = 0;
  virtual std::u16string ButtonCaption(TControl button) = 0;
  virtual void SetButtonCaption(TControl button, const std::u16string& caption) = 0;

  // Replaces an HTML text label's whole markup; the label lays itself out again.
  virtual void SetLabelText(TControl label, const std::u16string& markup) = 0;
  // The label's lines, each followed by CR LF; setting splits at line breaks.
  virtual std::u16string LabelLinesText(TControl label) = 0;
  virtual void SetLabelLinesText(TControl label, const std::u16string& text) = 0;

  // TS_Step1, TS_Step2 or TS_Step3.
  virtual void ShowPage(int pageIndex) = 0;
  // The hourglass over the whole screen, or the default cursor again.
  virtual void SetBusyCursor(bool busy) = 0;
  virtual void SetWindowState(TWindowState state) = 0;

  // Progress bars (lower bound 0).
  virtual std::int32_t ProgressMax(TControl bar) = 0;
  virtual void SetProgressMax(TControl bar, std::int32_t maximum) = 0;
  virtual void SetProgressPosition(TControl bar, std::int32_t position) = 0;

  virtual TTaskbar& Taskbar() = 0;

  // Handles every waiting window message; their handlers run inside this call.
  virtual void PumpMessages() = 0;
  // A modal box with the text, no icon and an OK button; returns when closed.
  virtual void MessageBox(const std::u16string& text) = 0;
  // The application's error box: error icon, the application title, an OK button.
  virtual void ErrorBox(const std::u16string& text) = 0;

  // The tick of ChB_Zaloha. Setting a different tick runs the box's click handler.
  virtual bool BackupChecked() = 0;
  virtual void SetBackupChecked(bool checked) = 0;
  // The folder picker, modal: the full path of the picked folder, or none.
  virtual std::optional<std::u16string> PickFolder() = 0;

  // Asks the window to close; the close handler may refuse.
  virtual void Close() = 0;

  // ArPB_Main as the unzipper's item meter; none without a window.
  virtual IArProgressMeter* UnpackMeter() { return nullptr; }
};

}  // namespace vornel
