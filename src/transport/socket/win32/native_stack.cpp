#include "transport/socket/native_stack.h"

#include "transport/socket/win32/net_stack_winsock.h"

namespace vornel {

std::unique_ptr<TNetStack> CreateNativeStack() {
  return TNetStackWinSock::Create();
}

}  // namespace vornel
