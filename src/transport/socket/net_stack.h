// The process-wide stack object: name resolution and the socket calls, with every
// failing call turned into a socket error. Made from the stack class with its
// first user and freed with its last (IncUsage / DecUsage).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

#include "platform/bytes.h"
#include "transport/socket/net_types.h"

namespace vornel {

class TNetStack;
using TNetStackClass = std::unique_ptr<TNetStack> (*)();

class TNetStack {
 public:
  virtual ~TNetStack() = default;
  TNetStack(const TNetStack&) = delete;
  TNetStack& operator=(const TNetStack&) = delete;

  // Process-wide use count: the first user creates the stack object from the
  // stack class, the last one frees it. ENetException "Stack already created." or
  // "Stack Class is undefined." when the first user cannot create it.
  static void IncUsage();
  static void DecUsage();
  // The stack object (GStack), or null while nobody uses the stack.
  static TNetStack* Instance();
  // GStackClass; null leaves it undefined.
  static void SetStackClass(TNetStackClass stackClass);
  static int UsageCount();

  // "LOCALHOST" in any case, literals unchanged (IPv6 ones canonical), anything
  // else through HostByName. ENetIPVersionUnsupported for another version.
  std::u16string ResolveHost(const std::u16string& host, TNetIPVersion ipVersion);
  // A dotted-quad IPv4 literal: four decimal parts of 0 to 255 and nothing more.
  static bool IsIP(std::u16string_view ip);
  // An IPv6 address text; when it is one, canonical receives its canonical form.
  virtual bool IsValidIPv6(const std::u16string& ip, std::u16string* canonical = nullptr) = 0;
  // The first address of the name; a resolver failure raises its socket error.
  virtual std::u16string HostByName(const std::u16string& hostName, TNetIPVersion ipVersion) = 0;

  virtual TNetStackSocketHandle NewSocketHandle(int socketType, int protocol,
                                                TNetIPVersion ipVersion, bool overlapped) = 0;
  virtual void Bind(TNetStackSocketHandle socket, const std::u16string& ip, std::uint16_t port,
                    TNetIPVersion ipVersion) = 0;
  virtual void Connect(TNetStackSocketHandle socket, const std::u16string& ip, std::uint16_t port,
                       TNetIPVersion ipVersion) = 0;
  // Shuts the sending direction and closes; every error is ignored.
  virtual void Disconnect(TNetStackSocketHandle socket) = 0;
  // Ends a pending connect from another thread (both directions shut, not closed).
  virtual void AbortConnect(TNetStackSocketHandle socket) = 0;

  // The raw results: a count, 0 when the peer closed, Net_SOCKET_ERROR on failure.
  virtual int Receive(TNetStackSocketHandle socket, TBytes& buffer) = 0;
  virtual int Send(TNetStackSocketHandle socket, const TBytes& buffer, int offset, int size) = 0;
  // Waits up to ms milliseconds (-2: no limit, 0: not at all) for readability, an
  // end or an error of the socket: 1 ready, 0 timed out, Net_SOCKET_ERROR failed.
  virtual int WaitReadable(TNetStackSocketHandle socket, int ms) = 0;

  virtual void GetSocketName(TNetStackSocketHandle socket, std::u16string& ip, std::uint16_t& port,
                             TNetIPVersion& ipVersion) = 0;
  virtual void GetPeerName(TNetStackSocketHandle socket, std::u16string& ip, std::uint16_t& port,
                           TNetIPVersion& ipVersion) = 0;
  // Levels and options as named in net_types.h.
  virtual void SetSocketOption(TNetStackSocketHandle socket, int level, int option, int value) = 0;
  virtual int GetSocketOption(TNetStackSocketHandle socket, int level, int option) = 0;

  // The last socket error as a WinSock number.
  virtual int WSGetLastError() = 0;
  std::u16string WSTranslateSocketErrorMsg(int errorCode);
  // Result -1 raises the last socket error; any other result is returned.
  int CheckForSocketError(int result);
  // Result -1 returns the last error when it is in ignore, else raises it.
  int CheckForSocketError(int result, std::initializer_list<int> ignore);
  [[noreturn]] void RaiseLastSocketError();
  [[noreturn]] void RaiseSocketError(int errorCode);

 protected:
  TNetStack() = default;
};

// One use of the stack for the lifetime of the holder.
class TNetStackUsage {
 public:
  TNetStackUsage() { TNetStack::IncUsage(); }
  ~TNetStackUsage() { TNetStack::DecUsage(); }
  TNetStackUsage(const TNetStackUsage&) = delete;
  TNetStackUsage& operator=(const TNetStackUsage&) = delete;
  TNetStack& Stack() const { return *TNetStack::Instance(); }
};

// The stack object, valid while someone holds a usage.
TNetStack& GStack();

}  // namespace vornel
