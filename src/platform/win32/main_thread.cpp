#include "platform/main_thread.h"

#include <windows.h>

namespace vornel {

namespace {

// Static initialisation runs on the main thread, before main.
const DWORD kMainThreadId = GetCurrentThreadId();

}  // namespace

bool IsMainThread() {
  return GetCurrentThreadId() == kMainThreadId;
}

}  // namespace vornel
