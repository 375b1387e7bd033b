// A horizontal progress bar (0 to 100) that serves as a progress meter: each
// percentage moves the bar and then lets the application process its pending
// events, so that the window stays responsive during a long extraction.
#pragma once

#include <QProgressBar>

#include "zip/progress_meter.h"

namespace vornel {

class TArProgressBar : public QProgressBar, public IArProgressMeter {
 public:
  explicit TArProgressBar(QWidget* parent = nullptr);

  void DoProgress(std::uint8_t progress) override;
  void Reset() override { DoProgress(0); }
  // Without visible text the bar makes none: the base class would format its
  // percentage on every change of the value.
  QString text() const override;

  static QString Version() { return QStringLiteral("5.0"); }
};

}  // namespace vornel
