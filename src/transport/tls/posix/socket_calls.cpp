#include "transport/tls/socket_calls.h"

#include <fcntl.h>
#include <poll.h>

#include <cerrno>

#include "transport/socket/socket_error.h"

namespace vornel {

int LastSocketError() {
  return errno;
}

void SetLastSocketError(int error) {
  errno = error;
}

void SetSocketTimedOut() {
  errno = EAGAIN;
}

bool SocketWouldBlock(int error) {
  return error == EAGAIN || error == EWOULDBLOCK;
}

int WinSockNumberOf(int error) {
  return WinSockErrorFromErrno(error);
}

int WaitSocketReady(int socket, bool forWrite, int ms) {
  pollfd wait{socket, static_cast<short>(forWrite ? POLLOUT : POLLIN), 0};
  const int ready = ::poll(&wait, 1, ms);
  if (ready < 0 && errno == EINTR)
    return 0;
  return ready > 0 ? 1 : ready;
}

TSocketNoWait::TSocketNoWait(int socket, bool active) : FSocket(socket) {
  const int flags = active ? ::fcntl(socket, F_GETFL) : -1;
  if (flags >= 0 && !(flags & O_NONBLOCK)) {
    ::fcntl(FSocket, F_SETFL, flags | O_NONBLOCK);
    FRestore = flags;
  }
}

TSocketNoWait::~TSocketNoWait() {
  if (FRestore >= 0) {
    TKeepSocketError keep;
    ::fcntl(FSocket, F_SETFL, FRestore);
  }
}

}  // namespace vornel
