// A filter between a connection and its source: it may rewrite received and sent
// bytes and is told when the connection is made and ended.
#pragma once

#include "platform/bytes.h"
#include "transport/net_component.h"

namespace vornel {

class TNetConnectionIntercept : public TNetComponent {
 public:
  virtual void Connect(TNetComponent& AConnection) { FConnection = &AConnection; }
  virtual void Disconnect() { FConnection = nullptr; }
  // May change the bytes and their number.
  virtual void Receive(TBytes& VBuffer) { (void)VBuffer; }
  virtual void Send(TBytes& VBuffer) { (void)VBuffer; }

  TNetComponent* Connection() const { return FConnection; }

 private:
  TNetComponent* FConnection = nullptr;
};

}  // namespace vornel
