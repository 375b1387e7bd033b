// The message pump of the window's thread: messages for the dialog window (its
// keyboard navigation among the controls) go through IsDialogMessageW, all
// others are translated and dispatched.
#pragma once

#include <windows.h>

namespace vornel {

// Handles every message waiting now. True when WM_QUIT was among them (it is
// posted again, so that the outer loop sees it too).
bool HandlePendingMessages(HWND dialog);

// Handles messages, sleeping while none is waiting, until WM_QUIT; returns its
// exit code.
int RunMessageLoop(HWND dialog);

}  // namespace vornel
