#include "transport/tls/ssl_socket.h"

#include <string>

#include "no_sig_pipe.h"
#include "platform/code_page.h"
#include "platform/text.h"
#include "transport/tls/openssl_binding.h"
#include "transport/tls/socket_calls.h"
#include "transport/tls/ssl_context.h"
#include "transport/tls/ssl_error_mapping.h"

namespace vornel {

namespace {
std::string AnsiString(const std::u16string& text) {
  const TBytes bytes = EncodeCodePage(AnsiCodePage(), text);
  return std::string(bytes.begin(), bytes.end());
}
}  // namespace

TNetSSLSocket::~TNetSSLSocket() {
  FreeSession();
}

void TNetSSLSocket::FreeSession() {
  const TNetOpenSSLEntries& e = OpenSSLEntries();
  if (fSSL) {
    if (fSSLContext && fSSLContext->StatusInfoOn() && fSSLContext->Context())
      e.SSL_CTX_set_info_callback(fSSLContext->Context(), nullptr);
    {
      TNoSigPipe noSigPipe;
      e.SSL_shutdown(fSSL);
    }
    e.SSL_free(fSSL);
    e.ERR_clear_error();
    fSSL = nullptr;
  }
  fSSLCipher.reset();
  fPeerCert.reset();
  if (FPeerX509) {
    e.X509_free(FPeerX509);
    FPeerX509 = nullptr;
  }
}

void TNetSSLSocket::NewSession(int socket) {
  const TNetOpenSSLEntries& e = OpenSSLEntries();
  FreeSession();
  e.ERR_clear_error();
  fSSL = e.SSL_new(fSSLContext->Context());
  if (!fSSL)
    throw ENetOSSLCreatingSessionError();
  int r = e.SSL_set_ex_data(fSSL, 0, this);
  if (r < 1)
    RaiseSSLSessionError<ENetOSSLDataBindingError>(fSSL, r, u"Error binding data to SSL socket.");
  r = e.SSL_set_fd(fSSL, socket);
  if (r < 1)
    RaiseSSLSessionError<ENetOSSLFDSetError>(fSSL, r, u"Error setting File Descriptor for SSL");
}

void TNetSSLSocket::BeginConnect(int socket) {
  const TNetOpenSSLEntries& e = OpenSSLEntries();
  NewSession(socket);
  // The server name goes out always; an empty one is refused by OpenSSL, which
  // then sends none.
  std::string name = AnsiString(fHostName);
  e.SSL_ctrl(fSSL, SSL_CTRL_SET_TLSEXT_HOSTNAME, TLSEXT_NAMETYPE_host_name, name.data());
  if (fSSLContext->VerifyMode().Contains(sslvrfPeer) && !name.empty())
    e.SSL_set1_host(fSSL, name.c_str());
}

void TNetSSLSocket::Connect(int socket) {
  const TNetOpenSSLEntries& e = OpenSSLEntries();
  BeginConnect(socket);
  e.ERR_clear_error();
  SetLastSocketError(0);
  int r;
  {
    TNoSigPipe noSigPipe;
    r = e.SSL_connect(fSSL);
  }
  if (r < 1)
    FailConnect(r);
  ConnectDone();
}

bool TNetSSLSocket::StepConnect() {
  const TNetOpenSSLEntries& e = OpenSSLEntries();
  TSocketNoWait noWaitMode(e.SSL_get_fd(fSSL), true);
  e.ERR_clear_error();
  SetLastSocketError(0);
  int r;
  {
    TNoSigPipe noSigPipe;
    r = e.SSL_connect(fSSL);
  }
  if (r == 1) {
    ConnectDone();
    return true;
  }
  const int cls = e.SSL_get_error(fSSL, r);
  if (cls == SSL_ERROR_WANT_READ || cls == SSL_ERROR_WANT_WRITE) {
    FWantsWrite = cls == SSL_ERROR_WANT_WRITE;
    return false;
  }
  FailConnect(r);
}

void TNetSSLSocket::RaiseConnectTimeout() {
  // As a blocking handshake whose socket wait ran out.
  OpenSSLEntries().ERR_clear_error();
  SetSocketTimedOut();
  RaiseSSLCodeError<ENetOSSLConnectError>(SSL_ERROR_SYSCALL, -1, u"Error connecting with SSL.");
}

void TNetSSLSocket::FailConnect(int r) {
  const TNetOpenSSLEntries& e = OpenSSLEntries();
  const int savedError = LastSocketError();
  const int cls = e.SSL_get_error(fSSL, r);
  if ((cls == SSL_ERROR_WANT_READ || cls == SSL_ERROR_WANT_WRITE) && SocketWouldBlock(savedError)) {
    // A blocking socket whose wait ran out: reported as the time-out it is.
    RaiseConnectTimeout();
  }
  const bool verifyPeer = fSSLContext->VerifyMode().Contains(sslvrfPeer);
  const long verifyResult = verifyPeer ? e.SSL_get_verify_result(fSSL) : X509_V_OK;
  try {
    RaiseSSLSessionError<ENetOSSLConnectError>(fSSL, r, u"Error connecting with SSL.");
  } catch (Exception& x) {
    if (verifyResult != X509_V_OK)
      x.SetMessage(x.Message() + u"\r\n" + FromUtf8(e.X509_verify_cert_error_string(verifyResult)));
    throw;
  }
}

void TNetSSLSocket::ConnectDone() {
  if (fParent)
    fParent->DoStatusInfo(CipherStatusText());
}

void TNetSSLSocket::Accept(int socket) {
  const TNetOpenSSLEntries& e = OpenSSLEntries();
  NewSession(socket);
  e.ERR_clear_error();
  int r;
  {
    TNoSigPipe noSigPipe;
    r = e.SSL_accept(fSSL);
  }
  if (r < 1)
    RaiseSSLSessionError<ENetOSSLAcceptError>(fSSL, r, u"Error accepting connection with SSL.");
  if (fParent)
    fParent->DoStatusInfo(CipherStatusText());
}

bool TNetSSLSocket::Retry(int result) {
  const int savedError = LastSocketError();
  int cls = OpenSSLEntries().SSL_get_error(fSSL, result);
  if ((cls == SSL_ERROR_WANT_READ || cls == SSL_ERROR_WANT_WRITE) && SocketWouldBlock(savedError)) {
    // The socket blocks: a wait that gives up is the socket's time-out.
    cls = SSL_ERROR_SYSCALL;
  } else if (cls == SSL_ERROR_SSL && OpenSSLErrorIsUnexpectedEof()) {
    // The peer closed TCP without a close notification: the end of the
    // connection, but one that may be a cut.
    TakeOpenSSLError();
    cls = SSL_ERROR_ZERO_RETURN;
    FEndedWithoutCloseNotify = true;
  } else if (cls == SSL_ERROR_SYSCALL && result == 0 && savedError == 0) {
    FEndedWithoutCloseNotify = true;
  }
  FLastErrorClass = cls;
  SetLastSocketError(savedError);
  return cls == SSL_ERROR_WANT_READ || cls == SSL_ERROR_WANT_WRITE;
}

int TNetSSLSocket::Recv(std::uint8_t* buffer, int length, bool noWait) {
  const TNetOpenSSLEntries& e = OpenSSLEntries();
  TSocketNoWait noWaitMode(noWait ? e.SSL_get_fd(fSSL) : -1, noWait);
  for (;;) {
    e.ERR_clear_error();
    SetLastSocketError(0);
    const int n = e.SSL_read(fSSL, buffer, length);
    if (n > 0) {
      FLastErrorClass = SSL_ERROR_NONE;
      return n;
    }
    if (Retry(n))
      continue;
    return FLastErrorClass == SSL_ERROR_ZERO_RETURN ? 0 : n;
  }
}

int TNetSSLSocket::Send(const std::uint8_t* buffer, int length) {
  const TNetOpenSSLEntries& e = OpenSSLEntries();
  int offset = 0;
  while (offset < length) {
    e.ERR_clear_error();
    SetLastSocketError(0);
    int n;
    {
      TNoSigPipe noSigPipe;
      n = e.SSL_write(fSSL, buffer + offset, length - offset);
    }
    if (n > 0) {
      offset += n;
      continue;
    }
    if (Retry(n))
      continue;
    return FLastErrorClass == SSL_ERROR_ZERO_RETURN ? 0 : n;
  }
  FLastErrorClass = SSL_ERROR_NONE;
  return offset;
}

int TNetSSLSocket::Pending() const {
  const TNetOpenSSLEntries& e = OpenSSLEntries();
  return fSSL && e.SSL_pending ? e.SSL_pending(fSSL) : 0;
}

int TNetSSLSocket::ErrorClass(int result) const {
  return result > 0 ? SSL_ERROR_NONE : FLastErrorClass;
}

TNetSSLCipher& TNetSSLSocket::Cipher() {
  if (!fSSLCipher)
    fSSLCipher = std::make_unique<TNetSSLCipher>(*this);
  return *fSSLCipher;
}

TNetX509* TNetSSLSocket::PeerCert() {
  if (!fPeerCert && fSSL) {
    FPeerX509 = OpenSSLEntries().SSL_get1_peer_certificate(fSSL);
    if (FPeerX509)
      fPeerCert = std::make_unique<TNetX509>(FPeerX509);
  }
  return fPeerCert.get();
}

std::u16string TNetSSLSocket::CipherStatusText() {
  TNetSSLCipher& c = Cipher();
  return u"Cipher: name = " + c.Name() + u"; " + u"description = " + c.Description() + u"; " +
         u"bits = " + IntToText(c.Bits()) + u"; " + u"version = " + c.Version() + u"; ";
}

}  // namespace vornel
