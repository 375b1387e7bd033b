#include "transport/tcp_client.h"

#include "transport/net_exceptions.h"

namespace vornel {

void TNetTCPClientCustom::Connect() {
  if (Connected())
    throw ENetAlreadyConnected();
  if (FHost.empty())
    throw ENetHostRequired();
  if (FPort == 0)
    throw ENetPortRequired();
  if (!IOHandler()) {
    CreateIOHandler();
    IOHandler()->OnStatus = OnStatus;
  }
  try {
    CopySettingsToHandler();
    IOHandler()->Open();
    if (IOHandler()->Intercept())
      IOHandler()->Intercept()->Connect(*this);
    DoStatus(hsConnected, {FHost});
    DoOnConnected();
  } catch (...) {
    if (TNetIOHandler* handler = IOHandler()) {
      try {
        handler->Close();
      } catch (const Exception&) {
        // The failure of the connect is what the caller hears about.
      }
      // A handler the caller configured (a verifying TLS handler, say) stays:
      // dropping it would let the next connect fall back to a default one.
      if (MadeIOHandler())
        SetIOHandler(nullptr);
    }
    throw;
  }
}

void TNetTCPClientCustom::Connect(const std::u16string& AHost) {
  SetHost(AHost);
  Connect();
}

void TNetTCPClientCustom::Connect(const std::u16string& AHost, std::uint16_t APort) {
  SetHost(AHost);
  SetPort(APort);
  Connect();
}

void TNetTCPClientCustom::DoOnConnected() {
  if (OnConnected)
    OnConnected(*this);
}

void TNetTCPClientCustom::CopySettingsToHandler() {
  if (!IOHandler())
    return;
  if (!FDestination.empty())
    IOHandler()->SetDestination(FDestination);
  IOHandlerAssigned();
  if (TNetIOHandlerSocket* socket = Socket()) {
    socket->OnBeforeBind = OnBeforeBind;
    socket->OnAfterBind = OnAfterBind;
    socket->OnSocketAllocated = OnSocketAllocated;
  }
}

void TNetTCPClientCustom::IOHandlerAssigned() {
  TNetIOHandler* handler = IOHandler();
  handler->SetPort(FPort);
  handler->SetHost(FHost);
  handler->SetConnectTimeout(FConnectTimeout);
  handler->SetReadTimeout(FReadTimeout);
  if (TNetIOHandlerSocket* socket = Socket()) {
    socket->SetBoundIP(FBoundIP);
    socket->SetBoundPort(FBoundPort);
    socket->SetBoundPortMin(FBoundPortMin);
    socket->SetBoundPortMax(FBoundPortMax);
    socket->SetIPVersion(FIPVersion);
    socket->SetReuseSocket(FReuseSocket);
    socket->SetUseNagle(FUseNagle);
  }
}

void TNetTCPClientCustom::SetHost(const std::u16string& AValue) {
  FHost = AValue;
  if (IOHandler())
    IOHandler()->SetHost(AValue);
}

void TNetTCPClientCustom::SetPort(std::uint16_t AValue) {
  FPort = AValue;
  if (IOHandler())
    IOHandler()->SetPort(AValue);
}

void TNetTCPClientCustom::SetIPVersion(TNetIPVersion AValue) {
  FIPVersion = AValue;
  if (Socket())
    Socket()->SetIPVersion(AValue);
}

void TNetTCPClientCustom::SetConnectTimeout(int AValue) {
  FConnectTimeout = AValue;
  if (IOHandler())
    IOHandler()->SetConnectTimeout(AValue);
}

void TNetTCPClientCustom::SetReadTimeout(int AValue) {
  FReadTimeout = AValue;
  if (IOHandler())
    IOHandler()->SetReadTimeout(AValue);
}

void TNetTCPClientCustom::SetBoundIP(const std::u16string& AValue) {
  FBoundIP = AValue;
  if (Socket())
    Socket()->SetBoundIP(AValue);
}

void TNetTCPClientCustom::SetBoundPort(std::uint16_t AValue) {
  FBoundPort = AValue;
  if (Socket())
    Socket()->SetBoundPort(AValue);
}

void TNetTCPClientCustom::SetBoundPortMin(std::uint16_t AValue) {
  FBoundPortMin = AValue;
  if (Socket())
    Socket()->SetBoundPortMin(AValue);
}

void TNetTCPClientCustom::SetBoundPortMax(std::uint16_t AValue) {
  FBoundPortMax = AValue;
  if (Socket())
    Socket()->SetBoundPortMax(AValue);
}

void TNetTCPClientCustom::SetUseNagle(bool AValue) {
  FUseNagle = AValue;
  if (Socket())
    Socket()->SetUseNagle(AValue);
}

void TNetTCPClientCustom::SetReuseSocket(TNetReuseSocket AValue) {
  FReuseSocket = AValue;
  if (Socket())
    Socket()->SetReuseSocket(AValue);
}

}  // namespace vornel
