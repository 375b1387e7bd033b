// The base of TLS handlers: a plain TCP handler while PassThrough is set, and
// every byte through the TLS session once TLS has started.
#pragma once

#include <memory>
#include <string>

#include "transport/io_handler_stack.h"

namespace vornel {

class TNetSSLIOHandlerSocketBase : public TNetIOHandlerStack {
 public:
  bool PassThrough() const { return fPassThrough; }
  // Clearing it on a live connection starts TLS on that connection.
  virtual void SetPassThrough(bool AValue) { fPassThrough = AValue; }
  // The URL being requested; its host is the server name of the handshake.
  const std::u16string& URIToCheck() const { return FURIToCheck; }
  virtual void SetURIToCheck(const std::u16string& AValue) { FURIToCheck = AValue; }
  bool IsPeer() const { return fIsPeer; }
  void SetIsPeer(bool AValue) { fIsPeer = AValue; }

  // A new handler with a copy of the settings and events.
  virtual std::unique_ptr<TNetSSLIOHandlerSocketBase> Clone() = 0;
  virtual void StartSSL() = 0;

 protected:
  virtual int RecvEnc(TBytes& VBuffer) = 0;
  virtual int SendEnc(const TBytes& ABuffer, int AOffset, int ALength) = 0;

  int ReadDataFromSource(TBytes& VBuffer) override;
  int WriteDataToTarget(const TBytes& ABuffer, int AOffset, int ALength) override;

  bool fPassThrough = false;
  bool fIsPeer = false;
  std::u16string FURIToCheck;
};

}  // namespace vornel
