// The stack object of the system the program runs on (POSIX sockets on Linux,
// Windows Sockets 2.2 on Windows): the stack class in use until another is set.
#pragma once

#include <memory>

#include "transport/socket/net_stack.h"

namespace vornel {

std::unique_ptr<TNetStack> CreateNativeStack();

}  // namespace vornel
