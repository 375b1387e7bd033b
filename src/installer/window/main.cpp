// The installer's process entry: the application object, the main window (which
// owns the taskbar button and runs its creation handler), the message loop until
// the window is closed, exit code 0.
#include "installer/exception_handling.h"
#include "installer/installer_environment.h"
#include "installer/installer_state.h"
#include "installer/window/installer_application.h"
#include "installer/window/main_install_form.h"
#include "platform/file_system.h"
#include "platform/temp_folder.h"

int main(int argc, char** argv) {
  vornel::TInstallerApplication application(argc, argv);
  // The desktop entry the task bar matches the window with; the launcher-entry
  // progress names the same one.
  QGuiApplication::setDesktopFileName(
      QString::fromStdU16String(vornel::ExtractFileName(vornel::ExecutablePath())));
  vornel::TMainInstallForm form(vornel::InstallerState(),
                                vornel::TInstallerEnvironment::OfThisProcess());
  application.OnException = [&form] { vornel::HandleException(form); };
  form.show();
  application.exec();
  return 0;
}
