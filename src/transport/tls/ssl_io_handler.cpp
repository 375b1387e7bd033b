#include "transport/tls/ssl_io_handler.h"

#include "platform/clock.h"
#include "transport/anti_freeze.h"
#include "transport/io_handler_registry.h"
#include "transport/net_exceptions.h"
#include "transport/socket/net_stack.h"
#include "transport/socket/socket_error.h"
#include "transport/tls/socket_calls.h"
#include "transport/tls/ssl_error_mapping.h"
#include "transport/tls/ssl_exceptions.h"

namespace vornel {

namespace {

// A blocking TLS receive or send gives up after this long when ReadTimeout sets
// no limit of its own.
constexpr int SSLSocketTimeoutDefault = 30000;

bool Tolerated(int code) {
  return code == Net_WSAESHUTDOWN || code == Net_WSAECONNABORTED || code == Net_WSAECONNRESET ||
         code == Net_WSAETIMEDOUT;
}

const bool Registered = [] {
  TNetIOHandlerRegistry::RegisterIOHandler(
      NetIOHandlerClassOf<TNetSSLIOHandlerSocketOpenSSL>(u"TNetSSLIOHandlerSocketOpenSSL"));
  return true;
}();

}  // namespace

std::u16string HostOfURI(const std::u16string& AURI) {
  std::u16string rest = AURI;
  const std::size_t scheme = rest.find(u"://");
  if (scheme != std::u16string::npos)
    rest.erase(0, scheme + 3);
  rest = rest.substr(0, rest.find_first_of(u"/?#"));
  const std::size_t at = rest.rfind(u'@');
  if (at != std::u16string::npos)
    rest.erase(0, at + 1);
  if (!rest.empty() && rest[0] == u'[') {
    const std::size_t close = rest.find(u']');
    return rest.substr(1, close == std::u16string::npos ? std::u16string::npos : close - 1);
  }
  return rest.substr(0, rest.find(u':'));
}

TNetSSLIOHandlerSocketOpenSSL::TNetSSLIOHandlerSocketOpenSSL()
    : fxSSLOptions(std::make_unique<TNetSSLOptions>()) {
  (void)Registered;
}

TNetSSLIOHandlerSocketOpenSSL::~TNetSSLIOHandlerSocketOpenSSL() {
  fSSLSocket.reset();
  if (!fIsPeer)
    fSSLContext.reset();
}

void TNetSSLIOHandlerSocketOpenSSL::ConnectClient() {
  const bool passThrough = fPassThrough;
  fPassThrough = true;
  try {
    TNetIOHandlerStack::ConnectClient();
  } catch (...) {
    fPassThrough = passThrough;
    throw;
  }
  fPassThrough = passThrough;
  DoBeforeConnect();
  StartSSL();
}

void TNetSSLIOHandlerSocketOpenSSL::StartSSL() {
  try {
    Init();
  } catch (const ENetOSSLCouldNotLoadSSLLibrary&) {
    if (!fPassThrough)
      throw;
  }
  if (!fPassThrough)
    OpenEncodedConnection();
}

void TNetSSLIOHandlerSocketOpenSSL::Init() {
  if (fSSLContext)
    return;
  fSSLContext = std::make_unique<TNetSSLContext>(static_cast<INetSSLCallbacks*>(this));
  fSSLContext->CopyOptions(*fxSSLOptions);
  fSSLContext->SetVerifyOn(static_cast<bool>(OnVerifyPeer));
  fSSLContext->SetStatusInfoOn(static_cast<bool>(OnStatusInfo) ||
                               static_cast<bool>(OnStatusInfoEx));
  fSSLContext->InitContext(fIsPeer ? sslCtxServer : sslCtxClient);
}

void TNetSSLIOHandlerSocketOpenSSL::SetSocketTimeouts(int AMSec) {
  TNetSocketHandle* binding = Binding();
  if (!binding || !binding->HandleAllocated())
    return;
  GStack().SetSocketOption(binding->Handle(), Net_SOL_SOCKET, Net_SO_RCVTIMEO, AMSec);
  GStack().SetSocketOption(binding->Handle(), Net_SOL_SOCKET, Net_SO_SNDTIMEO, AMSec);
}

void TNetSSLIOHandlerSocketOpenSSL::OpenEncodedConnection() {
  if (!fSSLSocket)
    fSSLSocket = std::make_unique<TNetSSLSocket>(static_cast<INetSSLCallbacks*>(this));
  fSSLSocket->SetSSLContext(fSSLContext.get());
  SetSocketTimeouts(ReadTimeout() < 1 ? SSLSocketTimeoutDefault : ReadTimeout());

  const TNetSSLMode mode = fSSLContext->Mode();
  const bool server = mode == sslmServer || (mode != sslmClient && fIsPeer);
  if (server) {
    fSSLSocket->SetHostName({});
    fSSLSocket->Accept(Binding()->Handle());
  } else {
    fSSLSocket->SetHostName(!FURIToCheck.empty() ? HostOfURI(FURIToCheck) : Host());
    if (TNetAntiFreezeBase::ShouldUse())
      ConnectInSlices();
    else
      fSSLSocket->Connect(Binding()->Handle());
  }
  fPassThrough = false;
}

void TNetSSLIOHandlerSocketOpenSSL::ConnectInSlices() {
  // The handshake waits for the server in slices with the idle hook between them,
  // as every other wait on the main thread does. The hook may close the
  // connection, which frees the TLS socket: nothing of it is touched afterwards.
  const int fd = Binding()->Handle();
  const std::uint64_t timeout = ReadTimeout() < 1 ? SSLSocketTimeoutDefault : ReadTimeout();
  fSSLSocket->BeginConnect(fd);
  std::uint64_t lastProgress = TickCount();
  while (!fSSLSocket->StepConnect()) {
    const int ready = WaitSocketReady(fd, fSSLSocket->WantsWrite(), TNetAntiFreezeBase::SliceMs());
    if (ready > 0) {
      lastProgress = TickCount();
      continue;
    }
    if (ready < 0)
      RaiseLastSSLSocketError();
    if (TickCount() - lastProgress >= timeout)
      fSSLSocket->RaiseConnectTimeout();
    TNetAntiFreezeBase::DoProcess(true);
    if (!fSSLSocket || !Binding() || !Binding()->HandleAllocated())
      throw ENetConnClosedGracefully();
  }
}

void TNetSSLIOHandlerSocketOpenSSL::SetPassThrough(bool AValue) {
  if (AValue == fPassThrough)
    return;
  TNetSocketHandle* binding = Binding();
  const bool allocated = binding && binding->HandleAllocated();
  if (AValue) {
    if (allocated)
      SetSocketTimeouts(0);
  } else if (allocated) {
    if (!fSSLContext)
      throw ENetOSSLCouldNotLoadSSLLibrary();
    OpenEncodedConnection();
  }
  fPassThrough = AValue;
}

void TNetSSLIOHandlerSocketOpenSSL::Open() {
  SetOpened(false);
  FEndedWithoutCloseNotify = false;
  TNetIOHandlerStack::Open();
}

void TNetSSLIOHandlerSocketOpenSSL::Close() {
  fSSLSocket.reset();
  if (!fIsPeer)
    fSSLContext.reset();
  TNetIOHandlerStack::Close();
}

bool TNetSSLIOHandlerSocketOpenSSL::Readable(int AMSec) {
  FNoWait = false;
  if (!fPassThrough && fSSLSocket && fSSLSocket->Pending() > 0)
    return true;
  const bool readable = TNetIOHandlerStack::Readable(AMSec);
  FNoWait = AMSec == 0;
  return readable;
}

void TNetSSLIOHandlerSocketOpenSSL::AfterAccept() {
  try {
    TNetIOHandlerStack::AfterAccept();
    StartSSL();
  } catch (...) {
    Close();
    throw;
  }
}

std::unique_ptr<TNetSSLIOHandlerSocketBase> TNetSSLIOHandlerSocketOpenSSL::Clone() {
  auto clone = std::make_unique<TNetSSLIOHandlerSocketOpenSSL>();
  clone->SSLOptions().Assign(*fxSSLOptions);
  clone->OnBeforeConnect = OnBeforeConnect;
  clone->OnStatusInfo = OnStatusInfo;
  clone->OnStatusInfoEx = OnStatusInfoEx;
  clone->OnGetPassword = OnGetPassword;
  clone->OnGetPasswordEx = OnGetPasswordEx;
  clone->OnVerifyPeer = OnVerifyPeer;
  return clone;
}

// Never plaintext while TLS is expected: without a session a receive reads as
// the end and a send as nothing sent.
int TNetSSLIOHandlerSocketOpenSSL::RecvEnc(TBytes& VBuffer) {
  if (!fSSLSocket || !fSSLSocket->Session())
    return 0;
  const bool noWait = FNoWait;
  FNoWait = false;
  const int received = fSSLSocket->Recv(VBuffer.data(), static_cast<int>(VBuffer.size()), noWait);
  // The session goes with the close that follows; what kind of end it was stays.
  if (received == 0)
    FEndedWithoutCloseNotify = fSSLSocket->EndedWithoutCloseNotify();
  return received;
}

int TNetSSLIOHandlerSocketOpenSSL::SendEnc(const TBytes& ABuffer, int AOffset, int ALength) {
  if (!fSSLSocket || !fSSLSocket->Session())
    return 0;
  return fSSLSocket->Send(ABuffer.data() + AOffset, ALength);
}

int TNetSSLIOHandlerSocketOpenSSL::CheckForError(int AErrorCode) {
  if (fPassThrough)
    return TNetIOHandlerStack::CheckForError(AErrorCode);
  const int e = fSSLSocket ? fSSLSocket->ErrorClass(AErrorCode) : SSL_ERROR_SYSCALL;
  if (e == SSL_ERROR_NONE)
    return 0;
  if (e == SSL_ERROR_SYSCALL) {
    const int code = SSLLastSocketError();
    if (Tolerated(code))
      return code;
    RaiseSocketError(code);
  }
  RaiseSSLCodeError<ENetOpenSSLAPISSLError>(e, AErrorCode);
}

void TNetSSLIOHandlerSocketOpenSSL::RaiseError(int AErrorCode) {
  // A time-out stays a socket error: the session has nothing to say about it.
  if (!fPassThrough && fSSLSocket && fSSLSocket->Session() && !Tolerated(AErrorCode))
    RaiseSSLSessionError<ENetOpenSSLAPISSLError>(fSSLSocket->Session(), AErrorCode);
  TNetIOHandlerStack::RaiseError(AErrorCode);
}

void TNetSSLIOHandlerSocketOpenSSL::DoBeforeConnect() {
  if (OnBeforeConnect)
    OnBeforeConnect(*this);
}

void TNetSSLIOHandlerSocketOpenSSL::DoStatusInfo(const std::u16string& AMsg) {
  if (OnStatusInfo)
    OnStatusInfo(AMsg);
}

void TNetSSLIOHandlerSocketOpenSSL::DoStatusInfoEx(const void* session, int where, int ret,
                                                   const std::u16string& type,
                                                   const std::u16string& msg) {
  if (OnStatusInfoEx)
    OnStatusInfoEx(*this, static_cast<const SSL*>(session), where, ret, type, msg);
}

void TNetSSLIOHandlerSocketOpenSSL::DoGetPassword(std::u16string& VPassword) {
  if (OnGetPassword)
    OnGetPassword(VPassword);
}

void TNetSSLIOHandlerSocketOpenSSL::DoGetPasswordEx(std::u16string& VPassword, bool AIsWrite) {
  if (OnGetPasswordEx)
    OnGetPasswordEx(*this, VPassword, AIsWrite);
}

void TNetSSLIOHandlerSocketOpenSSL::GetPasswordFor(std::u16string& password, bool isWrite) {
  if (OnGetPasswordEx) {
    DoGetPasswordEx(password, isWrite);
  } else {
    DoGetPassword(password);
  }
}

bool TNetSSLIOHandlerSocketOpenSSL::DoVerifyPeer(TNetX509& ACertificate, bool AOk, int ADepth,
                                                 int AError) {
  return OnVerifyPeer ? OnVerifyPeer(ACertificate, AOk, ADepth, AError) : true;
}

}  // namespace vornel
