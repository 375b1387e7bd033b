#include "transport/socket/win32/net_stack_winsock.h"

#include <algorithm>
#include <cstring>

#include "platform/clock.h"
#include "platform/text.h"
#include "transport/socket/socket_error.h"
#include "transport/socket/stack_exceptions.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <windows.h>

namespace vornel {

namespace {

// A SOCKET is a kernel handle, whose value 64-bit Windows keeps within 32 bits
// (handles are shared with 32-bit processes), so the layer's int holds it.
SOCKET Native(TNetStackSocketHandle socket) {
  return static_cast<SOCKET>(static_cast<std::intptr_t>(socket));
}

int Family(TNetIPVersion ipVersion) {
  switch (ipVersion) {
    case Net_IPv4:
      return AF_INET;
    case Net_IPv6:
      return AF_INET6;
  }
  throw ENetIPVersionUnsupported();
}

const wchar_t* Wide(const std::u16string& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

int MakeAddress(const std::u16string& ip, std::uint16_t port, TNetIPVersion ipVersion,
                sockaddr_storage& address) {
  std::memset(&address, 0, sizeof address);
  if (Family(ipVersion) == AF_INET) {
    auto& in = reinterpret_cast<sockaddr_in&>(address);
    in.sin_family = AF_INET;
    in.sin_port = htons(port);
    if (!ip.empty() && InetPtonW(AF_INET, Wide(ip), &in.sin_addr) != 1)
      RaiseSocketError(Net_WSAEINVAL);
    return sizeof in;
  }
  auto& in6 = reinterpret_cast<sockaddr_in6&>(address);
  in6.sin6_family = AF_INET6;
  in6.sin6_port = htons(port);
  if (!ip.empty() && InetPtonW(AF_INET6, Wide(ip), &in6.sin6_addr) != 1)
    RaiseSocketError(Net_WSAEINVAL);
  return sizeof in6;
}

void ReadAddress(const sockaddr_storage& address, std::u16string& ip, std::uint16_t& port,
                 TNetIPVersion& ipVersion) {
  wchar_t text[INET6_ADDRSTRLEN] = {};
  if (address.ss_family == AF_INET6) {
    auto in6 = reinterpret_cast<const sockaddr_in6&>(address);
    InetNtopW(AF_INET6, &in6.sin6_addr, text, INET6_ADDRSTRLEN);
    port = ntohs(in6.sin6_port);
    ipVersion = Net_IPv6;
  } else {
    auto in = reinterpret_cast<const sockaddr_in&>(address);
    InetNtopW(AF_INET, &in.sin_addr, text, INET6_ADDRSTRLEN);
    port = ntohs(in.sin_port);
    ipVersion = Net_IPv4;
  }
  ip.assign(reinterpret_cast<const char16_t*>(text));
}

}  // namespace

// The layer's option numbers are WinSock's own: no mapping here.
std::unique_ptr<TNetStack> TNetStackWinSock::Create() {
  WSADATA data{};
  const int result = WSAStartup(MAKEWORD(2, 2), &data);
  if (result != 0)
    vornel::RaiseSocketError(result);
  return std::unique_ptr<TNetStack>(new TNetStackWinSock());
}

TNetStackWinSock::~TNetStackWinSock() {
  WSACleanup();
}

bool TNetStackWinSock::IsValidIPv6(const std::u16string& ip, std::u16string* canonical) {
  in6_addr address{};
  if (InetPtonW(AF_INET6, Wide(ip), &address) != 1)
    return false;
  if (canonical) {
    wchar_t text[INET6_ADDRSTRLEN] = {};
    InetNtopW(AF_INET6, &address, text, INET6_ADDRSTRLEN);
    canonical->assign(reinterpret_cast<const char16_t*>(text));
  }
  return true;
}

std::u16string TNetStackWinSock::HostByName(const std::u16string& hostName,
                                            TNetIPVersion ipVersion) {
  std::u16string name = hostName;
  // International names go to the resolver in their ASCII form.
  if (std::any_of(name.begin(), name.end(), [](char16_t c) { return c >= 0x80; })) {
    wchar_t ascii[256] = {};
    const int length = IdnToAscii(0, Wide(hostName), -1, ascii, 256);
    if (length <= 0)
      RaiseSocketError(Net_WSAHOST_NOT_FOUND);
    name.assign(reinterpret_cast<const char16_t*>(ascii));
  }
  ADDRINFOW hints{};
  hints.ai_family = Family(ipVersion);
  hints.ai_socktype = SOCK_STREAM;
  ADDRINFOW* list = nullptr;
  const int result = GetAddrInfoW(Wide(name), nullptr, &hints, &list);
  if (result != 0)
    vornel::RaiseSocketError(result);
  if (!list)
    RaiseSocketError(Net_WSAHOST_NOT_FOUND);
  sockaddr_storage address{};
  std::memcpy(&address, list->ai_addr, std::min<std::size_t>(list->ai_addrlen, sizeof address));
  FreeAddrInfoW(list);
  std::u16string ip;
  std::uint16_t port = 0;
  TNetIPVersion version = ipVersion;
  ReadAddress(address, ip, port, version);
  return ip;
}

// Every socket is made overlapped, as socket() makes them, whatever the handle
// asks: the receive and send time-outs (SO_RCVTIMEO, SO_SNDTIMEO) that bound
// blocking calls take effect on overlapped sockets only, and without them a
// peer that stops sending would keep a blocking receive waiting for ever.
// Blocking calls behave the same on both kinds.
TNetStackSocketHandle TNetStackWinSock::NewSocketHandle(int socketType, int protocol,
                                                        TNetIPVersion ipVersion, bool) {
  const int type = socketType == Net_SOCK_DGRAM ? SOCK_DGRAM : SOCK_STREAM;
  const SOCKET handle = WSASocketW(Family(ipVersion), type, protocol, nullptr, 0,
                                   WSA_FLAG_NO_HANDLE_INHERIT | WSA_FLAG_OVERLAPPED);
  if (handle == INVALID_SOCKET)
    RaiseLastSocketError();
  return static_cast<TNetStackSocketHandle>(static_cast<std::intptr_t>(handle));
}

void TNetStackWinSock::Bind(TNetStackSocketHandle socket, const std::u16string& ip,
                            std::uint16_t port, TNetIPVersion ipVersion) {
  sockaddr_storage address;
  const int length = MakeAddress(ip, port, ipVersion, address);
  CheckForSocketError(::bind(Native(socket), reinterpret_cast<sockaddr*>(&address), length));
}

void TNetStackWinSock::Connect(TNetStackSocketHandle socket, const std::u16string& ip,
                               std::uint16_t port, TNetIPVersion ipVersion) {
  sockaddr_storage address;
  const int length = MakeAddress(ip, port, ipVersion, address);
  TakeAbort(socket);
  const SOCKET handle = Native(socket);
  u_long nonBlocking = 1;
  CheckForSocketError(::ioctlsocket(handle, FIONBIO, &nonBlocking));
  int error = 0;
  if (::connect(handle, reinterpret_cast<sockaddr*>(&address), length) != 0)
    error = ::WSAGetLastError();
  while (error == WSAEWOULDBLOCK) {
    if (TakeAbort(socket)) {
      error = WSAEINTR;
      break;
    }
    fd_set writable;
    FD_ZERO(&writable);
    FD_SET(handle, &writable);
    fd_set failed = writable;
    timeval step{0, 20000};
    const int ready = ::select(0, nullptr, &writable, &failed, &step);
    if (ready < 0) {
      error = ::WSAGetLastError();
    } else if (ready > 0) {
      error = 0;
      if (FD_ISSET(handle, &failed)) {
        int size = sizeof error;
        ::getsockopt(handle, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size);
        if (error == 0)
          error = WSAECONNREFUSED;
      }
    }
  }
  u_long blocking = 0;
  ::ioctlsocket(handle, FIONBIO, &blocking);
  if (error != 0)
    vornel::RaiseSocketError(error);
}

bool TNetStackWinSock::TakeAbort(TNetStackSocketHandle socket) {
  std::lock_guard lock(FAbortLock);
  return FAborted.erase(socket) != 0;
}

void TNetStackWinSock::Disconnect(TNetStackSocketHandle socket) {
  ::shutdown(Native(socket), SD_SEND);
  ::closesocket(Native(socket));
}

void TNetStackWinSock::AbortConnect(TNetStackSocketHandle socket) {
  {
    std::lock_guard lock(FAbortLock);
    FAborted.insert(socket);
  }
  ::shutdown(Native(socket), SD_BOTH);
}

int TNetStackWinSock::Receive(TNetStackSocketHandle socket, TBytes& buffer) {
  const int length = static_cast<int>(std::min<std::size_t>(buffer.size(), 0x7FFFFFFF));
  return ::recv(Native(socket), reinterpret_cast<char*>(buffer.data()), length, 0);
}

int TNetStackWinSock::Send(TNetStackSocketHandle socket, const TBytes& buffer, int offset,
                           int size) {
  if (offset < 0 || static_cast<std::size_t>(offset) > buffer.size()) {
    WSASetLastError(WSAEINVAL);
    return Net_SOCKET_ERROR;
  }
  std::size_t length = buffer.size() - static_cast<std::size_t>(offset);
  if (size >= 0 && static_cast<std::size_t>(size) < length)
    length = static_cast<std::size_t>(size);
  return ::send(Native(socket), reinterpret_cast<const char*>(buffer.data()) + offset,
                static_cast<int>(std::min<std::size_t>(length, 0x7FFFFFFF)), 0);
}

int TNetStackWinSock::WaitReadable(TNetStackSocketHandle socket, int ms) {
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(Native(socket), &readable);
  fd_set failed = readable;
  timeval time{ms / 1000, (ms % 1000) * 1000};
  const int result = ::select(0, &readable, nullptr, &failed, ms >= 0 ? &time : nullptr);
  if (result > 0)
    return 1;
  return result == 0 ? 0 : Net_SOCKET_ERROR;
}

void TNetStackWinSock::GetSocketName(TNetStackSocketHandle socket, std::u16string& ip,
                                     std::uint16_t& port, TNetIPVersion& ipVersion) {
  sockaddr_storage address{};
  int length = sizeof address;
  CheckForSocketError(
      ::getsockname(Native(socket), reinterpret_cast<sockaddr*>(&address), &length));
  ReadAddress(address, ip, port, ipVersion);
}

void TNetStackWinSock::GetPeerName(TNetStackSocketHandle socket, std::u16string& ip,
                                   std::uint16_t& port, TNetIPVersion& ipVersion) {
  sockaddr_storage address{};
  int length = sizeof address;
  CheckForSocketError(
      ::getpeername(Native(socket), reinterpret_cast<sockaddr*>(&address), &length));
  ReadAddress(address, ip, port, ipVersion);
}

// The time-outs are milliseconds in a DWORD, as callers give them; lingering
// takes a struct of its own.
void TNetStackWinSock::SetSocketOption(TNetStackSocketHandle socket, int level, int option,
                                       int value) {
  if (level == SOL_SOCKET && option == SO_LINGER) {
    const linger time{static_cast<u_short>(value >= 0),
                      static_cast<u_short>(std::clamp(value, 0, 0xFFFF))};
    CheckForSocketError(::setsockopt(Native(socket), level, option,
                                     reinterpret_cast<const char*>(&time), sizeof time));
    return;
  }
  CheckForSocketError(::setsockopt(Native(socket), level, option,
                                   reinterpret_cast<const char*>(&value), sizeof value));
}

int TNetStackWinSock::GetSocketOption(TNetStackSocketHandle socket, int level, int option) {
  if (level == SOL_SOCKET && option == SO_LINGER) {
    linger time{};
    int size = sizeof time;
    CheckForSocketError(
        ::getsockopt(Native(socket), level, option, reinterpret_cast<char*>(&time), &size));
    return time.l_onoff ? time.l_linger : -1;
  }
  int value = 0;
  int size = sizeof value;
  CheckForSocketError(
      ::getsockopt(Native(socket), level, option, reinterpret_cast<char*>(&value), &size));
  return value;
}

int TNetStackWinSock::WSGetLastError() {
  return ::WSAGetLastError();
}

}  // namespace vornel
