// What the OpenSSL callbacks of a context and its sessions ask of the handler
// that owns them.
#pragma once

#include <string>

namespace vornel {

class TNetX509;

class INetSSLCallbacks {
 public:
  virtual void DoStatusInfo(const std::u16string& msg) = 0;
  // The status text with OpenSSL's raw values: the session, the where-code, the
  // return value, the type text and the message.
  virtual void DoStatusInfoEx(const void* session, int where, int ret, const std::u16string& type,
                              const std::u16string& msg) = 0;
  virtual bool StatusInfoExAssigned() const = 0;
  virtual void GetPasswordFor(std::u16string& password, bool isWrite) = 0;
  // The verdict on one certificate of the peer's chain.
  virtual bool DoVerifyPeer(TNetX509& certificate, bool ok, int depth, int error) = 0;

 protected:
  ~INetSSLCallbacks() = default;
};

}  // namespace vornel
