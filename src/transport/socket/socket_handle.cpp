#include "transport/socket/socket_handle.h"

#include "transport/socket/net_exception.h"
#include "transport/socket/stack_exceptions.h"

namespace vornel {

TNetSocketHandle::~TNetSocketHandle() {
  CloseSocket();
  if (FPendingClose != Net_INVALID_SOCKET)
    FStackUsage.Stack().Disconnect(FPendingClose);
}

void TNetSocketHandle::AllocateSocket(int socketType, int protocol) {
  CloseSocket();
  SetHandle(FStackUsage.Stack().NewSocketHandle(socketType, protocol, FIPVersion, FOverLapped));
}

void TNetSocketHandle::SetHandle(TNetStackSocketHandle handle) {
  std::lock_guard lock(FConnectionHandle);
  FHandle = handle;
  FHandleAllocated = handle != Net_INVALID_SOCKET;
  if (!FHandleAllocated) {
    FSocketType = 0;
    return;
  }
  TNetStack& stack = FStackUsage.Stack();
  FSocketType = stack.GetSocketOption(FHandle, Net_SOL_SOCKET, Net_SO_TYPE);
  if (FSocketType == Net_SOCK_STREAM) {
    FUseNagle = stack.GetSocketOption(FHandle, Net_IPPROTO_TCP, Net_TCP_NODELAY) == 0;
  }
}

bool TNetSocketHandle::TryBind(std::uint16_t port) {
  try {
    TNetStack& stack = FStackUsage.Stack();
    stack.Bind(FHandle, FIP, port, FIPVersion);
    stack.GetSocketName(FHandle, FIP, FPort, FIPVersion);
    return true;
  } catch (const Exception&) {
    return false;
  }
}

void TNetSocketHandle::Bind() {
  TNetStack& stack = FStackUsage.Stack();
  stack.SetSocketOption(FHandle, Net_SOL_SOCKET, Net_SO_REUSEADDR,
                        FReuseSocket == rsTrue ? Net_SO_True : Net_SO_False);
  if (FPort == 0 && FClientPortMin != 0 && FClientPortMax != 0) {
    if (FClientPortMax < FClientPortMin)
      throw ENetInvalidPortRange(FClientPortMin, FClientPortMax);
    for (int port = FClientPortMax; port >= FClientPortMin; --port) {
      if (TryBind(static_cast<std::uint16_t>(port)))
        return;
    }
    throw ENetCanNotBindPortInRange(FClientPortMin, FClientPortMax);
  }
  if (!TryBind(FPort))
    throw ENetCouldNotBindSocket();
}

void TNetSocketHandle::SetUseNagle(bool useNagle) {
  if (useNagle == FUseNagle)
    return;
  FUseNagle = useNagle;
  if (FHandleAllocated && FSocketType == Net_SOCK_STREAM) {
    FStackUsage.Stack().SetSocketOption(FHandle, Net_IPPROTO_TCP, Net_TCP_NODELAY,
                                        useNagle ? Net_SO_False : Net_SO_True);
  }
}

void TNetSocketHandle::Connect() {
  TNetStackSocketHandle handle;
  {
    std::lock_guard lock(FConnectionHandle);
    FConnecting = true;
    handle = FHandle;
  }
  try {
    FStackUsage.Stack().Connect(handle, FPeerIP, FPeerPort, FIPVersion);
  } catch (...) {
    FinishConnect();
    throw;
  }
  FinishConnect();
  std::lock_guard lock(FConnectionHandle);
  if (FHandleAllocated) {
    UpdateBindingLocal();
    UpdateBindingPeer();
  }
}

void TNetSocketHandle::SetPeer(const std::u16string& ip, std::uint16_t port,
                               TNetIPVersion ipVersion) {
  FPeerIP = ip;
  FPeerPort = port;
  FIPVersion = ipVersion;
}

bool TNetSocketHandle::Readable(int msec) {
  if (msec == -1)
    msec = -2;
  if (!FHandleAllocated)
    throw ENetConnClosedGracefully();
  return Select(msec);
}

bool TNetSocketHandle::Select(int timeout) {
  TNetStack& stack = FStackUsage.Stack();
  return stack.CheckForSocketError(stack.WaitReadable(FHandle, timeout < 0 ? -2 : timeout)) > 0;
}

int TNetSocketHandle::Receive(TBytes& buffer) {
  TNetStack& stack = FStackUsage.Stack();
  return stack.CheckForSocketError(stack.Receive(FHandle, buffer));
}

int TNetSocketHandle::Send(const TBytes& buffer, int offset, int size) {
  TNetStack& stack = FStackUsage.Stack();
  return stack.CheckForSocketError(stack.Send(FHandle, buffer, offset, size));
}

void TNetSocketHandle::FinishConnect() {
  std::lock_guard lock(FConnectionHandle);
  FConnecting = false;
  if (FPendingClose != Net_INVALID_SOCKET) {
    FStackUsage.Stack().Disconnect(FPendingClose);
    FPendingClose = Net_INVALID_SOCKET;
  }
}

void TNetSocketHandle::CloseSocket() {
  if (!FHandleAllocated)
    return;
  std::lock_guard lock(FConnectionHandle);
  if (!FHandleAllocated)
    return;
  FHandleAllocated = false;
  if (FConnecting) {
    // The connecting thread still uses the number; it must not be reused before
    // that connect has returned.
    FStackUsage.Stack().AbortConnect(FHandle);
    FPendingClose = FHandle;
  } else {
    FStackUsage.Stack().Disconnect(FHandle);
  }
  SetHandle(Net_INVALID_SOCKET);
}

void TNetSocketHandle::AbortConnect() {
  std::lock_guard lock(FConnectionHandle);
  if (FPendingClose != Net_INVALID_SOCKET) {
    FStackUsage.Stack().AbortConnect(FPendingClose);
  } else if (FConnecting && FHandleAllocated) {
    FStackUsage.Stack().AbortConnect(FHandle);
  }
}

void TNetSocketHandle::Reset(bool resetLocal) {
  SetHandle(Net_INVALID_SOCKET);
  if (resetLocal) {
    FIP.clear();
    FPort = 0;
  }
  FPeerIP.clear();
  FPeerPort = 0;
  FIPVersion = Net_IPv4;
}

void TNetSocketHandle::UpdateBindingLocal() {
  FStackUsage.Stack().GetSocketName(FHandle, FIP, FPort, FIPVersion);
}

void TNetSocketHandle::UpdateBindingPeer() {
  FStackUsage.Stack().GetPeerName(FHandle, FPeerIP, FPeerPort, FIPVersion);
}

void TNetSocketHandle::SetIPVersion(TNetIPVersion ipVersion) {
  if (ipVersion == FIPVersion)
    return;
  if (FHandleAllocated)
    throw ENetCannotSetIPVersionWhenConnected();
  FIPVersion = ipVersion;
}

}  // namespace vornel
