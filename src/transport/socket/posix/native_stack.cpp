#include "transport/socket/native_stack.h"

#include "transport/socket/net_stack_posix.h"

namespace vornel {

std::unique_ptr<TNetStack> CreateNativeStack() {
  return TNetStackPosix::Create();
}

}  // namespace vornel
