// One application object for every test of the program, made on first use: the
// installer's own, with its fonts registered and its exception backstop.
#pragma once

#include "installer/window/installer_application.h"

namespace vornel::test {

inline TInstallerApplication& App() {
  static int argc = 1;
  static char name[] = "window_tests";
  static char* argv[] = {name, nullptr};
  static auto* app = new TInstallerApplication(argc, argv);  // lives until exit
  return *app;
}

}  // namespace vornel::test
