#include "installer/window/installer_application.h"

#include "installer/window/embedded_fonts.h"
#include "installer/window/embedded_translations.h"

namespace vornel {

TInstallerApplication::TInstallerApplication(int& argc, char** argv) : QApplication(argc, argv) {
  RegisterEmbeddedFonts();
  InstallEmbeddedTranslations(FQtTranslations);
}

bool TInstallerApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    if (OnException) {
      try {
        OnException();
      } catch (...) {
        // The error box itself failed; nothing more can be shown.
      }
    }
    return false;
  }
}

}  // namespace vornel
