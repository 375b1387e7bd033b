// The installer's one window: a fixed-size dialog with the title panel, the
// picture and the three wizard pages, realising the view that the wizard's logic
// drives. The window owns every control, the taskbar button's progress and the
// wizard; building it runs the creation handler.
#pragma once

#include <QElapsedTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "installer/installer_environment.h"
#include "installer/installer_state.h"
#include "installer/installer_view.h"
#include "installer/installer_wizard.h"
#include "installer/window_layout.h"

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QStackedWidget;

namespace vornel {

class IArProgressMeter;
class TVqHTMLText;

class TMainInstallForm : public QWidget, public TInstallerView {
  Q_OBJECT

 public:
  // Client area at 96 dots per inch.
  static constexpr int ClientWidth = WindowClientWidth;
  static constexpr int ClientHeight = WindowClientHeight;

  TMainInstallForm(TInstallerState& state, TInstallerEnvironment environment,
                   QWidget* parent = nullptr);
  ~TMainInstallForm() override;

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
  // Processes the pending messages, at most once in PumpIntervalNs: a download
  // pumps after every block, tens of thousands of times a second, and a queue
  // processed a moment ago holds nothing yet.
  void PumpMessages() override;
  static constexpr qint64 PumpIntervalNs = 1'000'000;
  void MessageBox(const std::u16string& text) override;
  void ErrorBox(const std::u16string& text) override;
  bool BackupChecked() override;
  void SetBackupChecked(bool checked) override;
  std::optional<std::u16string> PickFolder() override;
  void Close() override;
  IArProgressMeter* UnpackMeter() override { return &ItemMeter(); }

  // Runs handler when the button is clicked; whatever leaves the handler goes to
  // the application's default handling and the message loop goes on.
  void OnClick(TControl button, std::function<void()> handler);
  // Runs whenever the backup box is clicked or its tick is set from code.
  std::function<void()> OnBackupClick;
  // The folder picker behind PickFolder, the desktop's dialog unless replaced;
  // nothing when the user cancels.
  std::function<std::optional<std::u16string>()> OnPickFolder;

  // The control of that name; QWidget::objectName is its name too.
  QWidget* Control(TControl control) const { return FControls[static_cast<size_t>(control)]; }
  TVqHTMLText* Label(TControl label) const { return FLabels[static_cast<size_t>(label)]; }
  TInstallerWizard& Wizard() { return *FWizard; }
  // ArPB_Main, the unzipper's item progress meter.
  IArProgressMeter& ItemMeter();
  // The page now shown (0, 1 or 2).
  int PageIndex() const;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void BuildWindow();
  QWidget* MakeControl(const TLayoutControl& row, QWidget* parent);
  void Register(TControl control, QWidget* widget);
  QPushButton* Button(TControl button) const;
  QProgressBar* Bar(TControl bar) const;
  void ChB_ZalohaClick();

  std::array<QWidget*, 15> FControls{};
  std::array<TVqHTMLText*, 15> FLabels{};
  QStackedWidget* FPages = nullptr;
  QCheckBox* FBackupBox = nullptr;
  TTaskbar FTaskbar;
  bool FBusyCursor = false;
  bool FCentred = false;
  QElapsedTimer FSincePump;
  std::unique_ptr<TInstallerWizard> FWizard;
};

}  // namespace vornel
