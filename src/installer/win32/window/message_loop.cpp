#include "installer/win32/window/message_loop.h"

namespace vornel {

namespace {

void Handle(HWND dialog, MSG& message) {
  if (dialog != nullptr && IsWindow(dialog) && IsDialogMessageW(dialog, &message))
    return;
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

}  // namespace

bool HandlePendingMessages(HWND dialog) {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return true;
    }
    Handle(dialog, message);
  }
  return false;
}

int RunMessageLoop(HWND dialog) {
  for (;;) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT)
        return static_cast<int>(message.wParam);
      Handle(dialog, message);
    }
    WaitMessage();
  }
}

}  // namespace vornel
