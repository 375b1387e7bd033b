// Turning OpenSSL failures into exceptions that carry OpenSSL's own error text.
#pragma once

#include <string>

#include "transport/tls/openssl_binding.h"
#include "transport/tls/ssl_exceptions.h"

namespace vornel {

inline constexpr char16_t SSLEofViolatesProtocol[] = u"EOF was observed that violates the protocol";

// OpenSSL's text of an error code ("error:0A000086:SSL routines::...").
std::u16string OpenSSLErrorText(unsigned long code);

// The earliest queued error, or 0; the rest of the queue is dropped, so that a
// later failure on this thread is not reported with a stale entry.
unsigned long TakeOpenSSLError();

// Whether the earliest queued error is OpenSSL 3's report of a connection that
// ended without a close notification (OpenSSL 1.x reported it as a system-call
// error with result 0).
bool OpenSSLErrorIsUnexpectedEof();

// m followed by CR LF and text, or the text alone when m is empty.
std::u16string JoinSSLMessage(const std::u16string& message, const std::u16string& text);

// The last socket error of this thread as a socket-layer number. Over a blocking
// socket with a time-out an expired wait reads as 10060, as it does with WinSock.
int SSLLastSocketError();

// Crypto mapping: the next queued error with X.
template <class X>
[[noreturn]] void RaiseCryptoError(const std::u16string& message = {}) {
  const unsigned long code = TakeOpenSSLError();
  throw X(JoinSSLMessage(message, OpenSSLErrorText(code)), code);
}

// The socket error of the last failed call of this thread.
[[noreturn]] void RaiseLastSSLSocketError();

// Code mapping with the error class e of a call that returned r.
template <class X>
[[noreturn]] void RaiseSSLCodeError(int e, int r, const std::u16string& message = {}) {
  if (e == SSL_ERROR_SSL && OpenSSLErrorIsUnexpectedEof()) {
    TakeOpenSSLError();
    e = SSL_ERROR_SYSCALL;
    r = 0;
  }
  if (e == SSL_ERROR_SSL)
    RaiseCryptoError<ENetOSSLUnderlyingCryptoError>(message);
  const std::u16string prefix = message.empty() ? std::u16string() : message + u"\r\n";
  if (e == SSL_ERROR_SYSCALL) {
    if (OpenSSLEntries().ERR_peek_error() != 0)
      RaiseCryptoError<ENetOSSLUnderlyingCryptoError>(message);
    if (r == 0)
      throw X(prefix + SSLEofViolatesProtocol, e, r);
    if (r == -1)
      RaiseLastSSLSocketError();
  }
  throw X(prefix + OpenSSLErrorText(static_cast<unsigned long>(e)), e, r);
}

// Session mapping: the error class of the call on the session, then the code
// mapping.
template <class X>
[[noreturn]] void RaiseSSLSessionError(SSL* session, int r, const std::u16string& message = {}) {
  RaiseSSLCodeError<X>(OpenSSLEntries().SSL_get_error(session, r), r, message);
}

}  // namespace vornel
