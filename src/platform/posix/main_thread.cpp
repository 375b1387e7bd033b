#include "platform/main_thread.h"

#include <unistd.h>

namespace vornel {

// On Linux the main thread's id is the process id. Asked often (before every wait),
// so the answer is kept per thread instead of asking the kernel each time.
bool IsMainThread() {
  thread_local const bool main = gettid() == getpid();
  return main;
}

}  // namespace vornel
