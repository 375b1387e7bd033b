// The TLS handler on OpenSSL: connects over TCP, then runs one TLS session per
// connection with a context built from SSLOptions; OpenSSL's failures become
// exceptions that carry OpenSSL's own error text.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "transport/tls/ssl_callbacks.h"
#include "transport/tls/ssl_context.h"
#include "transport/tls/ssl_io_handler_base.h"
#include "transport/tls/ssl_options.h"
#include "transport/tls/ssl_socket.h"
#include "transport/tls/ssl_x509.h"

namespace vornel {

class TNetSSLIOHandlerSocketOpenSSL;

using TNetSSLStatusInfoEvent = std::function<void(const std::u16string& AMsg)>;
using TNetSSLStatusInfoExEvent =
    std::function<void(TNetSSLIOHandlerSocketOpenSSL& ASender, const SSL* ASSLSocket, int AWhere,
                       int ARet, const std::u16string& AType, const std::u16string& AMsg)>;
using TNetSSLPasswordEvent = std::function<void(std::u16string& VPassword)>;
using TNetSSLPasswordExEvent =
    std::function<void(TNetComponent& ASender, std::u16string& VPassword, bool AIsWrite)>;
using TNetSSLVerifyPeerEvent =
    std::function<bool(TNetX509& ACertificate, bool AOk, int ADepth, int AError)>;

class TNetSSLIOHandlerSocketOpenSSL : public TNetSSLIOHandlerSocketBase, private INetSSLCallbacks {
 public:
  TNetSSLIOHandlerSocketOpenSSL();
  ~TNetSSLIOHandlerSocketOpenSSL() override;

  TNetSSLOptions& SSLOptions() { return *fxSSLOptions; }
  // The context and the session of the current connection, or null.
  TNetSSLContext* SSLContext() const { return fSSLContext.get(); }
  TNetSSLSocket* SSLSocket() const { return fSSLSocket.get(); }

  void SetPassThrough(bool AValue) override;
  void Open() override;
  void Close() override;
  bool Readable(int AMSec = Net_TimeoutDefault) override;
  void AfterAccept() override;
  void StartSSL() override;
  bool EndedWithoutCloseNotify() const override { return FEndedWithoutCloseNotify; }
  std::unique_ptr<TNetSSLIOHandlerSocketBase> Clone() override;

  TNetNotifyEvent OnBeforeConnect;
  TNetSSLStatusInfoEvent OnStatusInfo;
  TNetSSLStatusInfoExEvent OnStatusInfoEx;
  TNetSSLPasswordEvent OnGetPassword;
  TNetSSLPasswordExEvent OnGetPasswordEx;
  TNetSSLVerifyPeerEvent OnVerifyPeer;

 protected:
  void ConnectClient() override;
  int RecvEnc(TBytes& VBuffer) override;
  int SendEnc(const TBytes& ABuffer, int AOffset, int ALength) override;
  int CheckForError(int AErrorCode) override;
  [[noreturn]] void RaiseError(int AErrorCode) override;

  virtual void DoBeforeConnect();
  void DoStatusInfo(const std::u16string& AMsg) override;
  virtual void DoGetPassword(std::u16string& VPassword);
  virtual void DoGetPasswordEx(std::u16string& VPassword, bool AIsWrite);
  bool DoVerifyPeer(TNetX509& ACertificate, bool AOk, int ADepth, int AError) override;
  // Starts TLS on the connected socket.
  virtual void OpenEncodedConnection();

 private:
  // Creates the context (loading OpenSSL) when there is none yet.
  void Init();
  void SetSocketTimeouts(int AMSec);
  // The client handshake while the idle hook is in use.
  void ConnectInSlices();
  void DoStatusInfoEx(const void* session, int where, int ret, const std::u16string& type,
                      const std::u16string& msg) override;
  bool StatusInfoExAssigned() const override { return static_cast<bool>(OnStatusInfoEx); }
  void GetPasswordFor(std::u16string& password, bool isWrite) override;

  std::unique_ptr<TNetSSLContext> fSSLContext;
  std::unique_ptr<TNetSSLOptions> fxSSLOptions;
  std::unique_ptr<TNetSSLSocket> fSSLSocket;
  // The last readiness test was asked not to wait, so the receive after it
  // must not wait either.
  bool FNoWait = false;
  bool FEndedWithoutCloseNotify = false;
};

// The host of a URL ("https://user@host:443/path" gives "host"; an IPv6 literal
// loses its brackets).
std::u16string HostOfURI(const std::u16string& AURI);

}  // namespace vornel
