// The application object, with the program's fonts and Qt's Czech texts. It
// catches whatever a handler lets escape, so no exception ever crosses the event
// loop: it goes to the default handling (an error box) and the loop goes on.
#pragma once

#include <QApplication>
#include <QTranslator>
#include <functional>

namespace vornel {

class TInstallerApplication : public QApplication {
 public:
  TInstallerApplication(int& argc, char** argv);

  // Called inside a catch block; without one the exception is dropped silently.
  std::function<void()> OnException;

  bool notify(QObject* receiver, QEvent* event) override;

 private:
  QTranslator FQtTranslations;  // Qt's own dialogs and buttons in Czech
};

}  // namespace vornel
