// The application's default handling of an exception that leaves a handler: an
// error box with the message; an abort-class exception shows nothing.
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "installer/installer_view.h"

namespace vornel {

// The message with "." appended when its last character lies above ".".
std::u16string ErrorBoxText(std::u16string_view message);

// Call inside a catch block: shows the exception being handled.
void HandleException(TInstallerView& view);

// Runs one handler of the window; whatever leaves it reaches the default handling.
template <class F>
void RunHandler(TInstallerView& view, F&& handler) {
  try {
    std::forward<F>(handler)();
  } catch (...) {
    HandleException(view);
  }
}

}  // namespace vornel
