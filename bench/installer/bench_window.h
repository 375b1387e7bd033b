// The installer's real window for the benchmarks, offscreen, with counters of what
// the road does to it: status texts set, bar positions, taskbar changes and the
// repaints of the status label and the two bars.
#pragma once

#include <QEvent>
#include <QObject>
#include <filesystem>
#include <memory>
#include <string>

#include "installer/installer_state.h"
#include "installer/window/main_install_form.h"

namespace vornel::bench {

class TBenchForm : public TMainInstallForm {
 public:
  TBenchForm(TInstallerState& state, const std::filesystem::path& folder);
  ~TBenchForm() override;

  void SetLabelText(TControl label, const std::u16string& markup) override;
  void SetProgressPosition(TControl bar, std::int32_t position) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

  void Click(TControl button);
  // Points the download at the server and its temporary folder at folder.
  void Aim(const std::u16string& host, const std::filesystem::path& folder);
  void ResetCounters();

  struct TCounters {
    long StatusTexts = 0;
    long Positions = 0;
    long LabelPaints = 0;
    long BarPaints = 0;
    long LabelLayouts = 0;  // of the status label, set by TakeLayouts
  } Counters;
  // Counts the status label's layouts since ResetCounters.
  void TakeLayouts();
  std::u16string LastStatusText;

 private:
  int FLayoutsAtReset = 0;
};

// The installer's application, made once.
void EnsureApplication();

}  // namespace vornel::bench
