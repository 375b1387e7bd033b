#include "transport/tcp_connection.h"

#include "transport/io_handler_registry.h"
#include "transport/net_exceptions.h"

namespace vornel {

TNetTCPConnection::TNetTCPConnection() = default;

TNetTCPConnection::~TNetTCPConnection() {
  if (FIOHandler) {
    FIOHandler->SetWorkTarget(nullptr);
    RemoveFreeNotification(*FIOHandler);
  }
  if (FIntercept)
    RemoveFreeNotification(*FIntercept);
}

bool TNetTCPConnection::Connected() {
  return FIOHandler && FIOHandler->Connected();
}

void TNetTCPConnection::Disconnect(bool ANotifyPeer) {
  if (ANotifyPeer) {
    try {
      if (Connected())
        DisconnectNotifyPeer();
    } catch (const Exception&) {
      // The connection is ended below in any case.
    }
  }
  if (FIOHandler && FIOHandler->Opened()) {
    DoStatus(hsDisconnecting);
    FIOHandler->Close();
    DoOnDisconnected();
    DoStatus(hsDisconnected);
  }
}

void TNetTCPConnection::CheckForGracefulDisconnect(bool ARaiseExceptionIfDisconnected) {
  if (FIOHandler) {
    FIOHandler->CheckForDisconnect(ARaiseExceptionIfDisconnected, false);
  } else if (ARaiseExceptionIfDisconnected) {
    throw ENetException(u"Not Connected");
  }
}

void TNetTCPConnection::DoOnDisconnected() {
  if (OnDisconnected)
    OnDisconnected(*this);
}

void TNetTCPConnection::SetIOHandler(TNetIOHandler* AValue) {
  AssignIOHandler(AValue, nullptr);
}

void TNetTCPConnection::SetIOHandler(std::unique_ptr<TNetIOHandler> AValue) {
  TNetIOHandler* handler = AValue.get();
  AssignIOHandler(handler, std::move(AValue));
}

void TNetTCPConnection::AssignIOHandler(TNetIOHandler* AValue,
                                        std::unique_ptr<TNetIOHandler> AOwned) {
  if (AValue == FIOHandler) {
    // Ownership of the current handler may still be handed over.
    if (AOwned && !FManagedIOHandler)
      FManagedIOHandler = std::move(AOwned);
    return;
  }
  if (AValue && FIntercept && AValue->Intercept() && AValue->Intercept() != FIntercept) {
    throw ENetException(u"The IOHandler already has a different Intercept assigned");
  }
  if (FIOHandler) {
    FIOHandler->SetWorkTarget(nullptr);
    RemoveFreeNotification(*FIOHandler);
  }
  // The previous owned handler is freed when this goes out of scope.
  std::unique_ptr<TNetIOHandler> previous = std::move(FManagedIOHandler);
  FIOHandler = AValue;
  FManagedIOHandler = std::move(AOwned);
  FMadeIOHandler = false;
  FSocket = nullptr;
  if (FIOHandler) {
    FreeNotification(*FIOHandler);
    FIOHandler->SetWorkTarget(this);
    if (FIntercept)
      FIOHandler->SetIntercept(FIntercept);
    FSocket = dynamic_cast<TNetIOHandlerSocket*>(FIOHandler);
    IOHandlerAssigned();
  }
}

void TNetTCPConnection::CreateIOHandler() {
  if (Connected())
    throw ENetException(u"Cannot change a connected IOHandler.");
  if (!FIOHandler) {
    SetIOHandler(TNetIOHandlerRegistry::MakeDefaultIOHandler());
    FMadeIOHandler = true;
  }
}

void TNetTCPConnection::SetIntercept(TNetConnectionIntercept* AValue) {
  if (!SetWatched(FIntercept, AValue))
    return;
  if (FIOHandler)
    FIOHandler->SetIntercept(AValue);
}

void TNetTCPConnection::Notification(TNetComponent& AComponent) {
  if (&AComponent == FIOHandler) {
    FIOHandler = nullptr;
    FSocket = nullptr;
    // An owned handler only goes with this connection; never free it twice.
    if (FManagedIOHandler.get() == &AComponent)
      (void)FManagedIOHandler.release();
  }
  if (&AComponent == FIntercept)
    FIntercept = nullptr;
  TNetComponent::Notification(AComponent);
}

}  // namespace vornel
