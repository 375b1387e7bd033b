// The client flavour of the connection: host, port and socket settings that are
// written into the handler, and Connect.
#pragma once

#include <cstdint>
#include <string>

#include "transport/socket/net_types.h"
#include "transport/tcp_connection.h"

namespace vornel {

class TNetTCPClientCustom : public TNetTCPConnection {
 public:
  TNetTCPClientCustom() = default;

  // ENetAlreadyConnected, ENetHostRequired or ENetPortRequired before any socket
  // exists; a failed connect closes the handler (and frees an owned one).
  virtual void Connect();
  void Connect(const std::u16string& AHost);
  void Connect(const std::u16string& AHost, std::uint16_t APort);

  const std::u16string& Host() const { return FHost; }
  void SetHost(const std::u16string& AValue);
  std::uint16_t Port() const { return FPort; }
  void SetPort(std::uint16_t AValue);
  TNetIPVersion IPVersion() const { return FIPVersion; }
  void SetIPVersion(TNetIPVersion AValue);
  int ConnectTimeout() const { return FConnectTimeout; }
  void SetConnectTimeout(int AValue);
  int ReadTimeout() const { return FReadTimeout; }
  void SetReadTimeout(int AValue);
  const std::u16string& BoundIP() const { return FBoundIP; }
  void SetBoundIP(const std::u16string& AValue);
  std::uint16_t BoundPort() const { return FBoundPort; }
  void SetBoundPort(std::uint16_t AValue);
  std::uint16_t BoundPortMin() const { return FBoundPortMin; }
  void SetBoundPortMin(std::uint16_t AValue);
  std::uint16_t BoundPortMax() const { return FBoundPortMax; }
  void SetBoundPortMax(std::uint16_t AValue);
  bool UseNagle() const { return FUseNagle; }
  void SetUseNagle(bool AValue);
  TNetReuseSocket ReuseSocket() const { return FReuseSocket; }
  void SetReuseSocket(TNetReuseSocket AValue);
  // "host:port" given to the handler before Port and Host when set.
  const std::u16string& Destination() const { return FDestination; }
  void SetDestination(const std::u16string& AValue) { FDestination = AValue; }

  TNetNotifyEvent OnConnected;
  TNetNotifyEvent OnBeforeBind;
  TNetNotifyEvent OnAfterBind;
  TNetNotifyEvent OnSocketAllocated;

 protected:
  virtual void DoOnConnected();
  void IOHandlerAssigned() override;

 private:
  void CopySettingsToHandler();

  std::u16string FHost;
  std::uint16_t FPort = 0;
  TNetIPVersion FIPVersion = Net_IPv4;
  int FConnectTimeout = 0;
  int FReadTimeout = -1;
  std::u16string FBoundIP;
  std::uint16_t FBoundPort = 0;
  std::uint16_t FBoundPortMin = 0;
  std::uint16_t FBoundPortMax = 0;
  bool FUseNagle = true;
  TNetReuseSocket FReuseSocket = rsOSDependent;
  std::u16string FDestination;
};

}  // namespace vornel
