// One TLS session over a connected socket: the handshake, reads and writes with
// OpenSSL's retry classes, and the close notification when it ends.
#pragma once

#include <memory>
#include <string>

#include "transport/tls/openssl_entries.h"
#include "transport/tls/ssl_callbacks.h"
#include "transport/tls/ssl_cipher.h"
#include "transport/tls/ssl_x509.h"

namespace vornel {

class TNetSSLContext;

class TNetSSLSocket {
 public:
  explicit TNetSSLSocket(INetSSLCallbacks* parent) : fParent(parent) {}
  // Sends one close notification (the peer's is not awaited) and frees the session.
  ~TNetSSLSocket();
  TNetSSLSocket(const TNetSSLSocket&) = delete;
  TNetSSLSocket& operator=(const TNetSSLSocket&) = delete;

  INetSSLCallbacks* Parent() const { return fParent; }
  TNetSSLContext* SSLContext() const { return fSSLContext; }
  void SetSSLContext(TNetSSLContext* context) { fSSLContext = context; }
  const std::u16string& HostName() const { return fHostName; }
  void SetHostName(std::u16string name) { fHostName = std::move(name); }
  SSL* Session() const { return fSSL; }

  // The client handshake; the server name goes out as SNI and, when the peer is
  // verified, is checked against its certificate. Reports the cipher status text.
  void Connect(int socket);
  // The same handshake in steps, for a caller that does its own waiting:
  // BeginConnect prepares the session; each StepConnect makes the progress the
  // socket allows without waiting and is true once the handshake is done, false
  // while it waits for the socket (to become writable when WantsWrite, readable
  // otherwise). Failures raise as Connect's do; RaiseConnectTimeout raises what a
  // blocking handshake raises when its socket wait runs out.
  void BeginConnect(int socket);
  bool StepConnect();
  bool WantsWrite() const { return FWantsWrite; }
  [[noreturn]] void RaiseConnectTimeout();
  void Accept(int socket);

  // SSL_read until data, the end or a failure: a count, 0 for an orderly end, or
  // the failing result (see ErrorClass). With noWait the socket is not waited
  // for: records that carry no data (TLS 1.3 session tickets) are taken in, and
  // when no data follows at once the call fails like a time-out.
  int Recv(std::uint8_t* buffer, int length, bool noWait = false);
  // SSL_write until everything is written: the total, 0, or the failing result.
  int Send(const std::uint8_t* buffer, int length);
  // Bytes already decrypted inside OpenSSL.
  int Pending() const;
  // Whether a Recv or Send met the end of TCP without the peer's close
  // notification (which Recv still reports as the end, 0).
  bool EndedWithoutCloseNotify() const { return FEndedWithoutCloseNotify; }
  // The error class of the last failing Recv or Send. As SSL_get_error, except
  // that a blocking wait that ran out of time reads as a system-call error.
  int ErrorClass(int result) const;

  TNetSSLCipher& Cipher();
  // The peer's certificate, made on request; null when there is none.
  TNetX509* PeerCert();

  // "Cipher: name = ...; description = ...; bits = ...; version = ...; "
  std::u16string CipherStatusText();

 private:
  void NewSession(int socket);
  void FreeSession();
  [[noreturn]] void FailConnect(int result);
  void ConnectDone();
  // Retry classes of a failed call; true when the call should be repeated.
  bool Retry(int result);

  INetSSLCallbacks* fParent;
  X509* FPeerX509 = nullptr;
  std::unique_ptr<TNetX509> fPeerCert;
  SSL* fSSL = nullptr;
  std::unique_ptr<TNetSSLCipher> fSSLCipher;
  TNetSSLContext* fSSLContext = nullptr;
  std::u16string fHostName;
  int FLastErrorClass = SSL_ERROR_NONE;
  bool FWantsWrite = false;
  bool FEndedWithoutCloseNotify = false;
};

}  // namespace vornel
