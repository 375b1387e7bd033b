// One QApplication for every test of the program, made on first use.
#pragma once

#include <QApplication>

namespace vornel::test {

inline QApplication& App() {
  static int argc = 1;
  static char name[] = "window_tests";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);  // lives until exit
  return *app;
}

}  // namespace vornel::test
