// A panel that draws only its bottom edge, as a flat line in the shadow colour.
#pragma once

#include <QWidget>

namespace vornel {

class TBevelPanel : public QWidget {
 public:
  explicit TBevelPanel(QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace vornel
