// Closes every message box that opens and keeps its caption, text and icon.
#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QObject>
#include <QTimer>
#include <vector>

namespace vornel::test {

class TBoxCatcher : public QObject {
 public:
  struct TBox {
    QString Title, Text;
    QMessageBox::Icon Icon;
  };
  std::vector<TBox> Boxes;
  TBoxCatcher() { Arm(); }
  void Arm() {
    QTimer::singleShot(10, this, [this] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        Boxes.push_back({box->windowTitle(), box->text(), box->icon()});
        box->accept();
      }
      Arm();
    });
  }
};

}  // namespace vornel::test
