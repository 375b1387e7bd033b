#include "installer/win32/window/installer_application.h"

#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

namespace vornel {

TInstallerApplication::TInstallerApplication() {
  FComInitialised = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  FTahoma = std::make_unique<TTahomaFallback>();
}

TInstallerApplication::~TInstallerApplication() {
  FTahoma.reset();
  if (FComInitialised)
    CoUninitialize();
}

}  // namespace vornel
