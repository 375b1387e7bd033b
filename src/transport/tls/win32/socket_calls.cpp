#include "transport/tls/socket_calls.h"

#include <winsock2.h>

#include <cstdint>

namespace vornel {

namespace {
// The socket layer keeps a SOCKET in an int: 64-bit Windows keeps handle values
// within 32 bits.
SOCKET Native(int socket) {
  return static_cast<SOCKET>(static_cast<std::intptr_t>(socket));
}
}  // namespace

int LastSocketError() {
  return ::WSAGetLastError();
}

void SetLastSocketError(int error) {
  ::WSASetLastError(error);
}

void SetSocketTimedOut() {
  ::WSASetLastError(WSAETIMEDOUT);
}

// A blocking socket whose receive or send time-out runs out fails with
// WSAETIMEDOUT; OpenSSL reports that as a failed call, not as a wish to retry.
bool SocketWouldBlock(int error) {
  return error == WSAEWOULDBLOCK || error == WSAETIMEDOUT;
}

int WinSockNumberOf(int error) {
  return error;
}

int WaitSocketReady(int socket, bool forWrite, int ms) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(Native(socket), &set);
  timeval limit{ms / 1000, (ms % 1000) * 1000};
  // A connection that fails is reported in the exception set.
  fd_set failed = set;
  const int ready =
      ::select(0, forWrite ? nullptr : &set, forWrite ? &set : nullptr, &failed, &limit);
  if (ready == SOCKET_ERROR)
    return ::WSAGetLastError() == WSAEINTR ? 0 : -1;
  return ready > 0 ? 1 : 0;
}

// Windows cannot tell whether a socket is non-blocking; the stack makes
// blocking sockets only, so blocking is what comes back.
TSocketNoWait::TSocketNoWait(int socket, bool active) : FSocket(socket) {
  u_long on = 1;
  if (active && ::ioctlsocket(Native(socket), FIONBIO, &on) == 0)
    FRestore = 0;
}

TSocketNoWait::~TSocketNoWait() {
  if (FRestore >= 0) {
    TKeepSocketError keep;
    u_long mode = static_cast<u_long>(FRestore);
    ::ioctlsocket(Native(FSocket), FIONBIO, &mode);
  }
}

}  // namespace vornel
