// The stack on Windows Sockets 2.2: started with the stack object (WSAStartup) and
// cleaned up with it; select for readability, GetAddrInfoW with IdnToAscii; the
// system's own WinSock error numbers.
#pragma once

#include <memory>
#include <mutex>
#include <set>

#include "transport/socket/net_stack.h"

namespace vornel {

class TNetStackWinSock : public TNetStack {
 public:
  static std::unique_ptr<TNetStack> Create();

  bool IsValidIPv6(const std::u16string& ip, std::u16string* canonical = nullptr) override;
  std::u16string HostByName(const std::u16string& hostName, TNetIPVersion ipVersion) override;

  TNetStackSocketHandle NewSocketHandle(int socketType, int protocol, TNetIPVersion ipVersion,
                                        bool overlapped) override;
  void Bind(TNetStackSocketHandle socket, const std::u16string& ip, std::uint16_t port,
            TNetIPVersion ipVersion) override;
  void Connect(TNetStackSocketHandle socket, const std::u16string& ip, std::uint16_t port,
               TNetIPVersion ipVersion) override;
  void Disconnect(TNetStackSocketHandle socket) override;
  void AbortConnect(TNetStackSocketHandle socket) override;

  int Receive(TNetStackSocketHandle socket, TBytes& buffer) override;
  int Send(TNetStackSocketHandle socket, const TBytes& buffer, int offset, int size) override;
  int WaitReadable(TNetStackSocketHandle socket, int ms) override;

  void GetSocketName(TNetStackSocketHandle socket, std::u16string& ip, std::uint16_t& port,
                     TNetIPVersion& ipVersion) override;
  void GetPeerName(TNetStackSocketHandle socket, std::u16string& ip, std::uint16_t& port,
                   TNetIPVersion& ipVersion) override;
  void SetSocketOption(TNetStackSocketHandle socket, int level, int option, int value) override;
  int GetSocketOption(TNetStackSocketHandle socket, int level, int option) override;

  int WSGetLastError() override;

  ~TNetStackWinSock() override;

 private:
  // A connect that another thread is waiting in: WinSock's shutdown does not end
  // it, so it waits in short steps and looks whether it was aborted.
  bool TakeAbort(TNetStackSocketHandle socket);
  std::mutex FAbortLock;
  std::set<TNetStackSocketHandle> FAborted;
  TNetStackWinSock() = default;
};

}  // namespace vornel
