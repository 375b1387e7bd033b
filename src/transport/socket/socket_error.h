// Socket errors: the exception with its WinSock-style number and text, and the
// mapping of errno and resolver results to those numbers.
#pragma once

#include <string>

#include "transport/socket/net_exception.h"

namespace vornel {

// "Socket Error # <number>" CR LF "<text>".
class ENetSocketError : public ENetException {
 public:
  ENetSocketError(int lastError, std::u16string message)
      : ENetException(std::move(message)), FLastError(lastError) {}
  int LastError() const noexcept { return FLastError; }

 private:
  int FLastError;
};

// Error 10038: the handle is no socket.
class ENetNotASocket : public ENetSocketError {
 public:
  using ENetSocketError::ENetSocketError;
};

inline constexpr int Net_WSAENOTSOCK = 10038;
inline constexpr int Net_WSAEBADF = 10009;
inline constexpr int Net_WSAESHUTDOWN = 10058;
inline constexpr int Net_WSAECONNABORTED = 10053;
inline constexpr int Net_WSAECONNRESET = 10054;
inline constexpr int Net_WSAETIMEDOUT = 10060;
inline constexpr int Net_WSAECONNREFUSED = 10061;
inline constexpr int Net_WSAEINVAL = 10022;
inline constexpr int Net_WSAHOST_NOT_FOUND = 11001;

// The fixed text of an error number; empty for a number without one.
std::u16string WSTranslateSocketErrorMsg(int errorCode);

// The full message "Socket Error # %d" CR LF "%s".
std::u16string SocketErrorMessage(int errorCode);

// ENetNotASocket for 10038, ENetSocketError for every other number.
[[noreturn]] void RaiseSocketError(int errorCode);

// errno to the WinSock number (0 stays 0; an unknown value stays as it is).
int WinSockErrorFromErrno(int errnoValue);
// A failing getaddrinfo result to the WinSock number.
int WinSockErrorFromAddrInfo(int gaiResult);

}  // namespace vornel
