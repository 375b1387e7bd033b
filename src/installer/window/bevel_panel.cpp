#include "installer/window/bevel_panel.h"

#include <QPainter>

namespace vornel {

TBevelPanel::TBevelPanel(QWidget* parent) : QWidget(parent) {
  setAutoFillBackground(true);
}

void TBevelPanel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(palette().color(QPalette::Dark));
  painter.drawLine(0, height() - 1, width() - 1, height() - 1);
}

}  // namespace vornel
