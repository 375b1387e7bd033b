// One blocking TCP socket with its local and peer addresses, its bind settings
// and the readability wait. Reused for every connection of its owner.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "platform/bytes.h"
#include "transport/socket/net_stack.h"
#include "transport/socket/net_types.h"

namespace vornel {

class TNetSocketHandle {
 public:
  TNetSocketHandle() = default;
  ~TNetSocketHandle();
  TNetSocketHandle(const TNetSocketHandle&) = delete;
  TNetSocketHandle& operator=(const TNetSocketHandle&) = delete;

  // Closes the current socket and creates a new one of the family of IPVersion.
  void AllocateSocket(int socketType = Net_SOCK_STREAM, int protocol = 0);
  // Binds to IP and Port, or to the highest free port of the client port range.
  void Bind();
  void Connect();
  void SetPeer(const std::u16string& ip, std::uint16_t port, TNetIPVersion ipVersion = Net_IPv4);
  // Waits for data or the end of the connection; -1 and -2 wait without limit.
  // ENetConnClosedGracefully when no socket is allocated.
  bool Readable(int msec = -1);
  bool Select(int timeout);
  int Receive(TBytes& buffer);
  int Send(const TBytes& buffer, int offset = 0, int size = -1);
  // Shuts the sending side and closes; nothing when no socket is allocated.
  void CloseSocket();
  // Ends a connect that blocks on another thread. A socket closed while its
  // connect is under way is closed for good once that connect has returned.
  void AbortConnect();
  void Reset(bool resetLocal = true);
  void UpdateBindingLocal();
  void UpdateBindingPeer();

  bool HandleAllocated() const { return FHandleAllocated; }
  TNetStackSocketHandle Handle() const { return FHandle; }
  int SocketType() const { return FSocketType; }

  const std::u16string& IP() const { return FIP; }
  void SetIP(const std::u16string& ip) { FIP = ip; }
  std::uint16_t Port() const { return FPort; }
  void SetPort(std::uint16_t port) { FPort = port; }
  const std::u16string& PeerIP() const { return FPeerIP; }
  std::uint16_t PeerPort() const { return FPeerPort; }
  TNetIPVersion IPVersion() const { return FIPVersion; }
  // ENetCannotSetIPVersionWhenConnected while a socket is allocated.
  void SetIPVersion(TNetIPVersion ipVersion);
  std::uint16_t ClientPortMin() const { return FClientPortMin; }
  void SetClientPortMin(std::uint16_t port) { FClientPortMin = port; }
  std::uint16_t ClientPortMax() const { return FClientPortMax; }
  void SetClientPortMax(std::uint16_t port) { FClientPortMax = port; }
  TNetReuseSocket ReuseSocket() const { return FReuseSocket; }
  void SetReuseSocket(TNetReuseSocket reuse) { FReuseSocket = reuse; }
  bool UseNagle() const { return FUseNagle; }
  void SetUseNagle(bool useNagle);
  bool OverLapped() const { return FOverLapped; }
  void SetOverLapped(bool overlapped) { FOverLapped = overlapped; }

 private:
  void SetHandle(TNetStackSocketHandle handle);
  bool TryBind(std::uint16_t port);
  void FinishConnect();

  TNetStackUsage FStackUsage;
  TNetStackSocketHandle FHandle = Net_INVALID_SOCKET;
  std::atomic<bool> FHandleAllocated{false};
  std::u16string FIP;
  std::uint16_t FPort = 0;
  std::u16string FPeerIP;
  std::uint16_t FPeerPort = 0;
  TNetIPVersion FIPVersion = Net_IPv4;
  std::uint16_t FClientPortMin = 0;
  std::uint16_t FClientPortMax = 0;
  TNetReuseSocket FReuseSocket = rsOSDependent;
  bool FUseNagle = true;
  bool FOverLapped = false;
  int FSocketType = 0;
  std::recursive_mutex FConnectionHandle;
  bool FConnecting = false;
  TNetStackSocketHandle FPendingClose = Net_INVALID_SOCKET;
};

}  // namespace vornel
