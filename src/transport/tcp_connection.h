// A connection that holds an I/O handler (owned when it made it), reports
// whether it is alive and disconnects it. Every work event of the handler
// reaches this connection's handlers, with the connection as sender.
#pragma once

#include <memory>

#include "transport/connection_intercept.h"
#include "transport/io_handler.h"
#include "transport/io_handler_socket.h"
#include "transport/net_component.h"

namespace vornel {

class TNetTCPConnection : public TNetComponent {
 public:
  TNetTCPConnection();
  ~TNetTCPConnection() override;

  // False without a handler.
  virtual bool Connected();
  void Disconnect() { Disconnect(true); }
  // Closes an opened handler; a second call does nothing. May be called from a
  // work event inside a read of this connection.
  virtual void Disconnect(bool ANotifyPeer);
  // The handler's disconnect check; without a handler ENetException "Not
  // Connected" when asked to raise.
  void CheckForGracefulDisconnect(bool ARaiseExceptionIfDisconnected = true);

  TNetIOHandler* IOHandler() const { return FIOHandler; }
  // Takes a handler that someone else owns (null to have none).
  virtual void SetIOHandler(TNetIOHandler* AValue);
  // Takes a handler and owns it.
  void SetIOHandler(std::unique_ptr<TNetIOHandler> AValue);
  // Makes an owned handler of the default class when there is
  // none; ENetException "Cannot change a connected IOHandler." while connected.
  void CreateIOHandler();
  bool ManagedIOHandler() const { return FManagedIOHandler != nullptr; }
  // The handler is the default one CreateIOHandler made (not one handed in, owned
  // or not): only that one may be dropped after a failed connect.
  bool MadeIOHandler() const { return FMadeIOHandler; }
  TNetIOHandlerSocket* Socket() const { return FSocket; }
  TNetConnectionIntercept* Intercept() const { return FIntercept; }
  void SetIntercept(TNetConnectionIntercept* AValue);

  TNetNotifyEvent OnDisconnected;

 protected:
  virtual void DisconnectNotifyPeer() {}
  virtual void DoOnDisconnected();
  void Notification(TNetComponent& AComponent) override;
  // Called after a new handler is taken, to copy settings into it.
  virtual void IOHandlerAssigned() {}

 private:
  void AssignIOHandler(TNetIOHandler* AValue, std::unique_ptr<TNetIOHandler> AOwned);

  TNetIOHandler* FIOHandler = nullptr;
  std::unique_ptr<TNetIOHandler> FManagedIOHandler;
  TNetIOHandlerSocket* FSocket = nullptr;
  TNetConnectionIntercept* FIntercept = nullptr;
  bool FMadeIOHandler = false;
};

}  // namespace vornel
