#include "zip/qt/progress_bar.h"

#include <QCoreApplication>

namespace vornel {

TArProgressBar::TArProgressBar(QWidget* parent) : QProgressBar(parent) {
  setOrientation(Qt::Horizontal);
  setRange(0, 100);
  setValue(0);
}

QString TArProgressBar::text() const {
  return isTextVisible() ? QProgressBar::text() : QString();
}

void TArProgressBar::DoProgress(std::uint8_t progress) {
  setValue(progress);
  QCoreApplication::processEvents();
}

}  // namespace vornel
