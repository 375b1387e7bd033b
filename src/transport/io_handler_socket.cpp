#include "transport/io_handler_socket.h"

#include "platform/clock.h"
#include "transport/anti_freeze.h"
#include "transport/net_exceptions.h"
#include "transport/socket/socket_error.h"

namespace vornel {

TNetIOHandlerSocket::TNetIOHandlerSocket() = default;

TNetIOHandlerSocket::~TNetIOHandlerSocket() {
  if (FBinding)
    FBinding->CloseSocket();
}

void TNetIOHandlerSocket::Open() {
  TNetIOHandler::Open();
  if (FBinding) {
    // A socket still allocated from an earlier open is closed, not forgotten.
    FBinding->CloseSocket();
    FBinding->Reset(true);
  } else {
    FBinding = std::make_unique<TNetSocketHandle>();
  }
  FBinding->SetClientPortMin(FBoundPortMin);
  FBinding->SetClientPortMax(FBoundPortMax);
  if (!Host().empty() && Port() > 0)
    ConnectClient();
}

void TNetIOHandlerSocket::Close() {
  if (FBinding)
    FBinding->CloseSocket();
  TNetIOHandler::Close();
}

void TNetIOHandlerSocket::ConnectClient() {
  DoBeforeBind();
  FBinding->SetIPVersion(FIPVersion);
  FBinding->AllocateSocket(Net_SOCK_STREAM);
  DoSocketAllocated();
  FBinding->SetIP(FBoundIP);
  FBinding->SetPort(FBoundPort);
  FBinding->SetClientPortMin(FBoundPortMin);
  FBinding->SetClientPortMax(FBoundPortMax);
  FBinding->SetReuseSocket(FReuseSocket);
  FBinding->Bind();
  FBinding->SetUseNagle(FUseNagle);
  DoAfterBind();
}

void TNetIOHandlerSocket::DoBeforeBind() {
  if (OnBeforeBind)
    OnBeforeBind(*this);
}

void TNetIOHandlerSocket::DoAfterBind() {
  if (OnAfterBind)
    OnAfterBind(*this);
}

void TNetIOHandlerSocket::DoSocketAllocated() {
  if (OnSocketAllocated)
    OnSocketAllocated(*this);
}

void TNetIOHandlerSocket::SetUseNagle(bool AValue) {
  FUseNagle = AValue;
  if (FBinding)
    FBinding->SetUseNagle(AValue);
}

void TNetIOHandlerSocket::SetTransparentProxy(TNetCustomTransparentProxy* AValue) {
  if (AValue == FTransparentProxy)
    return;
  if (FTransparentProxy)
    RemoveFreeNotification(*FTransparentProxy);
  FTransparentProxy = AValue;
  if (FTransparentProxy)
    FreeNotification(*FTransparentProxy);
}

void TNetIOHandlerSocket::Notification(TNetComponent& AComponent) {
  if (&AComponent == FTransparentProxy)
    FTransparentProxy = nullptr;
  TNetIOHandler::Notification(AComponent);
}

void TNetIOHandlerSocket::CheckForDisconnect(bool ARaiseExceptionIfDisconnected,
                                             bool AIgnoreBuffer) {
  bool disconnected;
  if (ClosedGracefully()) {
    if (SourceIsAvailable()) {
      Close();
      DoStatus(hsDisconnected);
    }
    disconnected = true;
  } else {
    disconnected = !SourceIsAvailable();
  }
  if (disconnected && (AIgnoreBuffer || InputBufferIsEmpty()) && ARaiseExceptionIfDisconnected) {
    throw ENetConnClosedGracefully();
  }
}

bool TNetIOHandlerSocket::Connected() {
  return (SourceIsAvailable() && TNetIOHandler::Connected()) || !InputBufferIsEmpty();
}

bool TNetIOHandlerSocket::Readable(int AMSec) {
  if (!FBinding)
    throw ENetConnClosedGracefully();
  if (!TNetAntiFreezeBase::ShouldUse())
    return FBinding->Readable(AMSec);
  // Waits in slices with the idle hook between them; the hook may close the
  // connection, and the next slice then raises as a closed handle does.
  if (AMSec == -1)
    AMSec = Net_TimeoutInfinite;
  const std::uint64_t start = TickCount();
  for (;;) {
    int slice = TNetAntiFreezeBase::SliceMs();
    if (AMSec >= 0) {
      const std::uint64_t elapsed = TickCount() - start;
      const std::uint64_t left = elapsed >= static_cast<std::uint64_t>(AMSec) ? 0 : AMSec - elapsed;
      slice = static_cast<int>(std::min<std::uint64_t>(left, static_cast<std::uint64_t>(slice)));
    }
    if (FBinding->Readable(slice))
      return true;
    if (AMSec >= 0 && TickCount() - start >= static_cast<std::uint64_t>(AMSec))
      return false;
    TNetAntiFreezeBase::DoProcess(true);
  }
}

int TNetIOHandlerSocket::ReadDataFromSource(TBytes& VBuffer) {
  if (!FBinding)
    throw ENetNotConnected();
  return FBinding->Receive(VBuffer);
}

int TNetIOHandlerSocket::WriteDataToTarget(const TBytes& ABuffer, int AOffset, int ALength) {
  if (!FBinding)
    throw ENetNotConnected();
  return FBinding->Send(ABuffer, AOffset, ALength);
}

bool TNetIOHandlerSocket::SourceIsAvailable() {
  return FBinding && FBinding->HandleAllocated();
}

int TNetIOHandlerSocket::CheckForError(int AErrorCode) {
  return GStack().CheckForSocketError(
      AErrorCode, {Net_WSAESHUTDOWN, Net_WSAECONNABORTED, Net_WSAECONNRESET, Net_WSAETIMEDOUT});
}

void TNetIOHandlerSocket::RaiseError(int AErrorCode) {
  RaiseSocketError(AErrorCode);
}

}  // namespace vornel
