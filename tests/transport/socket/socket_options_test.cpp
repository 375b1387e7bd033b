// Socket options through the layer, on whichever stack the build has.
#include <gtest/gtest.h>

#include "transport/socket/net_stack.h"
#include "transport/socket/net_types.h"

namespace vornel {
namespace {

// SO_LINGER's value is the lingering time in seconds, negative for none; both
// stacks pass it to the system in the system's own record, not as an int.
TEST(SocketOptionsTest, LingerTakesSecondsOrNone) {
  TNetStackUsage usage;
  TNetStack& stack = *TNetStack::Instance();
  const TNetStackSocketHandle socket =
      stack.NewSocketHandle(Net_SOCK_STREAM, Net_IPPROTO_TCP, Net_IPv4, false);
  EXPECT_EQ(stack.GetSocketOption(socket, Net_SOL_SOCKET, Net_SO_LINGER), -1);
  for (const int seconds : {0, 1, 30, -1}) {
    SCOPED_TRACE(seconds);
    stack.SetSocketOption(socket, Net_SOL_SOCKET, Net_SO_LINGER, seconds);
    EXPECT_EQ(stack.GetSocketOption(socket, Net_SOL_SOCKET, Net_SO_LINGER), seconds);
  }
  stack.Disconnect(socket);
}

}  // namespace
}  // namespace vornel
