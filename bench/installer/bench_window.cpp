#include "bench_window.h"

#include <QAbstractButton>
#include <QApplication>

#include "htmltext/widget/html_text.h"
#include "installer/window/installer_application.h"
#include "platform/text.h"

namespace vornel::bench {

namespace {

TInstallerEnvironment EnvironmentIn(const std::filesystem::path& folder) {
  TInstallerEnvironment environment;
  environment.ExecutablePath = FromUtf8((folder / "InstallTarvo").string());
  environment.ProcessId = 4242;
  environment.StartScript = [](int, const std::u16string&) { return true; };
  return environment;
}

}  // namespace

void EnsureApplication() {
  static int argc = 1;
  static char name[] = "installer_bench";
  static char* argv[] = {name, nullptr};
  static auto* app = new TInstallerApplication(argc, argv);  // lives until exit
  (void)app;
}

TBenchForm::TBenchForm(TInstallerState& state, const std::filesystem::path& folder)
    : TMainInstallForm(state, EnvironmentIn(folder)) {
  Label(TControl::HTMText_InfoDown)->installEventFilter(this);
  Control(TControl::ArPB_Down)->installEventFilter(this);
  Control(TControl::ArPB_Main)->installEventFilter(this);
}

TBenchForm::~TBenchForm() = default;

void TBenchForm::SetLabelText(TControl label, const std::u16string& markup) {
  if (label == TControl::HTMText_InfoDown) {
    ++Counters.StatusTexts;
    LastStatusText = markup;
  }
  TMainInstallForm::SetLabelText(label, markup);
}

void TBenchForm::SetProgressPosition(TControl bar, std::int32_t position) {
  ++Counters.Positions;
  TMainInstallForm::SetProgressPosition(bar, position);
}

bool TBenchForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Paint) {
    if (watched == Label(TControl::HTMText_InfoDown)) {
      ++Counters.LabelPaints;
    } else {
      ++Counters.BarPaints;
    }
  }
  return TMainInstallForm::eventFilter(watched, event);
}

void TBenchForm::Click(TControl button) {
  qobject_cast<QAbstractButton*>(Control(button))->click();
}

void TBenchForm::Aim(const std::u16string& host, const std::filesystem::path& folder) {
  TDownloadStep& step = Wizard().DownloadStep();
  step.Host = host;
  const std::u16string temp = FromUtf8(folder.string() + "/");
  step.TempFolder = [temp] { return temp; };
}

void TBenchForm::ResetCounters() {
  Counters = {};
  FLayoutsAtReset = Label(TControl::HTMText_InfoDown)->RebuildCount();
}

void TBenchForm::TakeLayouts() {
  Counters.LabelLayouts = Label(TControl::HTMText_InfoDown)->RebuildCount() - FLayoutsAtReset;
}

}  // namespace vornel::bench
