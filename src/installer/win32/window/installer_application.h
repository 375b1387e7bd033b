// What the program needs of the system before its window is made and keeps
// until it ends: the apartment of the shell's objects (the folder picker, the
// taskbar list, the image decoder), the common controls, and Tahoma where the
// system has none.
#pragma once

#include <memory>

#include "htmltext/gdi/tahoma_fallback.h"

namespace vornel {

class TInstallerApplication {
 public:
  TInstallerApplication();
  ~TInstallerApplication();
  TInstallerApplication(const TInstallerApplication&) = delete;
  TInstallerApplication& operator=(const TInstallerApplication&) = delete;

 private:
  bool FComInitialised = false;
  std::unique_ptr<TTahomaFallback> FTahoma;
};

}  // namespace vornel
