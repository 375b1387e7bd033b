// The I/O handler on a socket handle: the bind settings, the bind events, the
// socket half of the connect step, and the source and target primitives on the
// socket.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "transport/io_handler.h"
#include "transport/socket/net_types.h"
#include "transport/socket/socket_handle.h"

namespace vornel {

// A proxy that the connect step negotiates through once the socket is connected.
class TNetCustomTransparentProxy : public TNetComponent {
 public:
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool AValue) { FEnabled = AValue; }
  const std::u16string& Host() const { return FHost; }
  void SetHost(const std::u16string& AValue) { FHost = AValue; }
  int Port() const { return FPort; }
  void SetPort(int AValue) { FPort = AValue; }
  TNetIPVersion IPVersion() const { return FIPVersion; }
  void SetIPVersion(TNetIPVersion AValue) { FIPVersion = AValue; }
  // Asks the proxy (already connected through AIOHandler) for the real target.
  virtual void Connect(TNetIOHandler& AIOHandler, const std::u16string& AHost, int APort,
                       TNetIPVersion AIPVersion) = 0;

 private:
  bool FEnabled = false;
  std::u16string FHost;
  int FPort = 0;
  TNetIPVersion FIPVersion = Net_IPv4;
};

class TNetIOHandlerSocket : public TNetIOHandler {
 public:
  TNetIOHandlerSocket();
  ~TNetIOHandlerSocket() override;

  void Open() override;
  void Close() override;
  bool Connected() override;
  void CheckForDisconnect(bool ARaiseExceptionIfDisconnected = true,
                          bool AIgnoreBuffer = false) override;
  // The socket's readability; with the idle hook on the main thread the wait is
  // cut into slices between which the hook runs.
  bool Readable(int AMSec = Net_TimeoutDefault) override;

  // The socket handle; null until the first Open.
  TNetSocketHandle* Binding() const { return FBinding.get(); }

  const std::u16string& BoundIP() const { return FBoundIP; }
  void SetBoundIP(const std::u16string& AValue) { FBoundIP = AValue; }
  std::uint16_t BoundPort() const { return FBoundPort; }
  void SetBoundPort(std::uint16_t AValue) { FBoundPort = AValue; }
  std::uint16_t BoundPortMin() const { return FBoundPortMin; }
  void SetBoundPortMin(std::uint16_t AValue) { FBoundPortMin = AValue; }
  std::uint16_t BoundPortMax() const { return FBoundPortMax; }
  void SetBoundPortMax(std::uint16_t AValue) { FBoundPortMax = AValue; }
  int DefaultPort() const { return FDefaultPort; }
  void SetDefaultPort(int AValue) { FDefaultPort = AValue; }
  TNetIPVersion IPVersion() const { return FIPVersion; }
  void SetIPVersion(TNetIPVersion AValue) { FIPVersion = AValue; }
  bool UseNagle() const { return FUseNagle; }
  void SetUseNagle(bool AValue);
  TNetReuseSocket ReuseSocket() const { return FReuseSocket; }
  void SetReuseSocket(TNetReuseSocket AValue) { FReuseSocket = AValue; }
  virtual TNetCustomTransparentProxy* GetTransparentProxy() const { return FTransparentProxy; }
  virtual void SetTransparentProxy(TNetCustomTransparentProxy* AValue);

  TNetNotifyEvent OnBeforeBind;
  TNetNotifyEvent OnAfterBind;
  TNetNotifyEvent OnSocketAllocated;

 protected:
  // The socket half of connecting: bind events, allocation, bind, Nagle.
  virtual void ConnectClient();
  virtual void DoBeforeBind();
  virtual void DoAfterBind();
  virtual void DoSocketAllocated();

  int ReadDataFromSource(TBytes& VBuffer) override;
  int WriteDataToTarget(const TBytes& ABuffer, int AOffset, int ALength) override;
  bool SourceIsAvailable() override;
  int CheckForError(int AErrorCode) override;
  [[noreturn]] void RaiseError(int AErrorCode) override;
  void Notification(TNetComponent& AComponent) override;

 private:
  std::unique_ptr<TNetSocketHandle> FBinding;
  std::u16string FBoundIP;
  std::uint16_t FBoundPort = 0;
  std::uint16_t FBoundPortMin = 0;
  std::uint16_t FBoundPortMax = 0;
  int FDefaultPort = 0;
  TNetIPVersion FIPVersion = Net_IPv4;
  bool FUseNagle = true;
  TNetReuseSocket FReuseSocket = rsOSDependent;
  TNetCustomTransparentProxy* FTransparentProxy = nullptr;
};

}  // namespace vornel
