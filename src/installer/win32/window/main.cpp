// The installer's process entry on Windows: libraries from the system folder
// only, the application's system state, the main window (which owns the taskbar
// button and runs its creation handler), the message loop until the window is
// closed, exit code 0.
#include "installer/exception_handling.h"
#include "installer/installer_environment.h"
#include "installer/installer_state.h"
#include "installer/win32/window/installer_application.h"
#include "installer/win32/window/main_install_form.h"
#include "installer/win32/window/message_loop.h"
#include "platform/library_search.h"

#include <windows.h>

int main() {
  vornel::RestrictLibrarySearchToSystem();
  vornel::TInstallerApplication application;
  vornel::TMainInstallForm form(vornel::InstallerState(),
                                vornel::TInstallerEnvironment::OfThisProcess());
  form.OnClosed = [] { PostQuitMessage(0); };
  form.Show();
  vornel::RunMessageLoop(form.Handle());
  return 0;
}
