#include "transport/socket/net_stack_posix.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/clock.h"
#include "platform/text.h"
#include "transport/socket/socket_error.h"
#include "transport/socket/stack_exceptions.h"

namespace vornel {

namespace {

int Family(TNetIPVersion ipVersion) {
  switch (ipVersion) {
    case Net_IPv4:
      return AF_INET;
    case Net_IPv6:
      return AF_INET6;
  }
  throw ENetIPVersionUnsupported();
}

// The socket address of an address text and a port; an empty text is any address.
socklen_t MakeAddress(const std::u16string& ip, std::uint16_t port, TNetIPVersion ipVersion,
                      sockaddr_storage& address) {
  std::memset(&address, 0, sizeof address);
  const std::string text = ToUtf8(ip);
  if (Family(ipVersion) == AF_INET) {
    auto& in = reinterpret_cast<sockaddr_in&>(address);
    in.sin_family = AF_INET;
    in.sin_port = htons(port);
    if (!text.empty() && inet_pton(AF_INET, text.c_str(), &in.sin_addr) != 1) {
      RaiseSocketError(Net_WSAEINVAL);
    }
    return sizeof in;
  }
  auto& in6 = reinterpret_cast<sockaddr_in6&>(address);
  in6.sin6_family = AF_INET6;
  in6.sin6_port = htons(port);
  if (!text.empty() && inet_pton(AF_INET6, text.c_str(), &in6.sin6_addr) != 1) {
    RaiseSocketError(Net_WSAEINVAL);
  }
  return sizeof in6;
}

void ReadAddress(const sockaddr_storage& address, std::u16string& ip, std::uint16_t& port,
                 TNetIPVersion& ipVersion) {
  char text[INET6_ADDRSTRLEN] = {};
  if (address.ss_family == AF_INET6) {
    const auto& in6 = reinterpret_cast<const sockaddr_in6&>(address);
    inet_ntop(AF_INET6, &in6.sin6_addr, text, sizeof text);
    port = ntohs(in6.sin6_port);
    ipVersion = Net_IPv6;
  } else {
    const auto& in = reinterpret_cast<const sockaddr_in&>(address);
    inet_ntop(AF_INET, &in.sin_addr, text, sizeof text);
    port = ntohs(in.sin_port);
    ipVersion = Net_IPv4;
  }
  ip = FromUtf8(text);
}

// The operating system's level and option for the ones callers name.
void MapOption(int& level, int& option) {
  if (level == Net_SOL_SOCKET) {
    level = SOL_SOCKET;
    switch (option) {
      case Net_SO_REUSEADDR:
        option = SO_REUSEADDR;
        return;
      case Net_SO_KEEPALIVE:
        option = SO_KEEPALIVE;
        return;
      case Net_SO_TYPE:
        option = SO_TYPE;
        return;
      case Net_SO_SNDTIMEO:
        option = SO_SNDTIMEO;
        return;
      case Net_SO_RCVTIMEO:
        option = SO_RCVTIMEO;
        return;
      case Net_SO_LINGER:
        option = SO_LINGER;
        return;
    }
  } else if (level == Net_IPPROTO_TCP) {
    level = IPPROTO_TCP;
    if (option == Net_TCP_NODELAY)
      option = TCP_NODELAY;
    return;
  }
}

bool IsTimeOption(int level, int option) {
  return level == SOL_SOCKET && (option == SO_SNDTIMEO || option == SO_RCVTIMEO);
}

}  // namespace

std::unique_ptr<TNetStack> TNetStackPosix::Create() {
  return std::unique_ptr<TNetStack>(new TNetStackPosix());
}

bool TNetStackPosix::IsValidIPv6(const std::u16string& ip, std::u16string* canonical) {
  in6_addr address;
  if (inet_pton(AF_INET6, ToUtf8(ip).c_str(), &address) != 1)
    return false;
  if (canonical) {
    char text[INET6_ADDRSTRLEN] = {};
    inet_ntop(AF_INET6, &address, text, sizeof text);
    *canonical = FromUtf8(text);
  }
  return true;
}

std::u16string TNetStackPosix::HostByName(const std::u16string& hostName, TNetIPVersion ipVersion) {
  addrinfo hints{};
  hints.ai_family = Family(ipVersion);
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = 0;
  const std::string name = ToUtf8(hostName);
#ifdef AI_IDN
  // International names go to the resolver in their ASCII form.
  for (unsigned char c : name) {
    if (c >= 0x80) {
      hints.ai_flags |= AI_IDN;
      break;
    }
  }
#endif
  addrinfo* list = nullptr;
  const int result = getaddrinfo(name.c_str(), nullptr, &hints, &list);
  if (result != 0) {
    const int error =
        result == EAI_SYSTEM ? WinSockErrorFromErrno(errno) : WinSockErrorFromAddrInfo(result);
    RaiseSocketError(error == 0 ? Net_WSAHOST_NOT_FOUND : error);
  }
  if (!list)
    RaiseSocketError(Net_WSAHOST_NOT_FOUND);
  sockaddr_storage address{};
  std::memcpy(&address, list->ai_addr, std::min<std::size_t>(list->ai_addrlen, sizeof address));
  freeaddrinfo(list);
  std::u16string ip;
  std::uint16_t port = 0;
  TNetIPVersion version = ipVersion;
  ReadAddress(address, ip, port, version);
  return ip;
}

TNetStackSocketHandle TNetStackPosix::NewSocketHandle(int socketType, int protocol,
                                                      TNetIPVersion ipVersion, bool) {
  const int type = socketType == Net_SOCK_DGRAM ? SOCK_DGRAM : SOCK_STREAM;
  const int handle = ::socket(Family(ipVersion), type | SOCK_CLOEXEC, protocol);
  return CheckForSocketError(handle);
}

void TNetStackPosix::Bind(TNetStackSocketHandle socket, const std::u16string& ip,
                          std::uint16_t port, TNetIPVersion ipVersion) {
  sockaddr_storage address;
  const socklen_t length = MakeAddress(ip, port, ipVersion, address);
  CheckForSocketError(::bind(socket, reinterpret_cast<sockaddr*>(&address), length));
}

void TNetStackPosix::Connect(TNetStackSocketHandle socket, const std::u16string& ip,
                             std::uint16_t port, TNetIPVersion ipVersion) {
  sockaddr_storage address;
  const socklen_t length = MakeAddress(ip, port, ipVersion, address);
  if (::connect(socket, reinterpret_cast<sockaddr*>(&address), length) == 0)
    return;
  if (errno != EINTR)
    RaiseLastSocketError();
  // A signal cut the wait; the connect goes on and its outcome is awaited here.
  pollfd entry{socket, POLLOUT, 0};
  while (::poll(&entry, 1, -1) < 0) {
    if (errno != EINTR)
      RaiseLastSocketError();
  }
  int error = 0;
  socklen_t size = sizeof error;
  if (::getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &size) != 0)
    RaiseLastSocketError();
  if (error != 0)
    RaiseSocketError(WinSockErrorFromErrno(error));
}

void TNetStackPosix::Disconnect(TNetStackSocketHandle socket) {
  ::shutdown(socket, SHUT_WR);
  ::close(socket);
}

void TNetStackPosix::AbortConnect(TNetStackSocketHandle socket) {
  ::shutdown(socket, SHUT_RDWR);
}

int TNetStackPosix::Receive(TNetStackSocketHandle socket, TBytes& buffer) {
  for (;;) {
    const ssize_t count = ::recv(socket, buffer.data(), buffer.size(), 0);
    if (count >= 0)
      return static_cast<int>(count);
    if (errno != EINTR)
      return Net_SOCKET_ERROR;
  }
}

int TNetStackPosix::Send(TNetStackSocketHandle socket, const TBytes& buffer, int offset, int size) {
  if (offset < 0 || static_cast<std::size_t>(offset) > buffer.size()) {
    errno = EINVAL;
    return Net_SOCKET_ERROR;
  }
  std::size_t length = buffer.size() - static_cast<std::size_t>(offset);
  if (size >= 0 && static_cast<std::size_t>(size) < length)
    length = static_cast<std::size_t>(size);
  for (;;) {
    const ssize_t count = ::send(socket, buffer.data() + offset, length, MSG_NOSIGNAL);
    if (count >= 0)
      return static_cast<int>(count);
    if (errno != EINTR)
      return Net_SOCKET_ERROR;
  }
}

int TNetStackPosix::WaitReadable(TNetStackSocketHandle socket, int ms) {
  const std::uint64_t start = TickCount();
  for (;;) {
    int wait = -1;
    if (ms >= 0) {
      const std::uint64_t elapsed = TickCount() - start;
      wait = elapsed >= static_cast<std::uint64_t>(ms) ? 0 : ms - static_cast<int>(elapsed);
    }
    pollfd entry{socket, POLLIN, 0};
    const int result = ::poll(&entry, 1, wait);
    if (result > 0) {
      if (entry.revents & POLLNVAL) {
        errno = ENOTSOCK;
        return Net_SOCKET_ERROR;
      }
      return 1;
    }
    if (result == 0)
      return 0;
    if (errno != EINTR)
      return Net_SOCKET_ERROR;
  }
}

void TNetStackPosix::GetSocketName(TNetStackSocketHandle socket, std::u16string& ip,
                                   std::uint16_t& port, TNetIPVersion& ipVersion) {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  CheckForSocketError(::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length));
  ReadAddress(address, ip, port, ipVersion);
}

void TNetStackPosix::GetPeerName(TNetStackSocketHandle socket, std::u16string& ip,
                                 std::uint16_t& port, TNetIPVersion& ipVersion) {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  CheckForSocketError(::getpeername(socket, reinterpret_cast<sockaddr*>(&address), &length));
  ReadAddress(address, ip, port, ipVersion);
}

void TNetStackPosix::SetSocketOption(TNetStackSocketHandle socket, int level, int option,
                                     int value) {
  MapOption(level, option);
  if (IsTimeOption(level, option)) {
    // Milliseconds, as callers give them.
    timeval time{value / 1000, (value % 1000) * 1000};
    CheckForSocketError(::setsockopt(socket, level, option, &time, sizeof time));
    return;
  }
  if (level == SOL_SOCKET && option == SO_LINGER) {
    const linger time{value >= 0 ? 1 : 0, std::max(value, 0)};
    CheckForSocketError(::setsockopt(socket, level, option, &time, sizeof time));
    return;
  }
  CheckForSocketError(::setsockopt(socket, level, option, &value, sizeof value));
}

int TNetStackPosix::GetSocketOption(TNetStackSocketHandle socket, int level, int option) {
  MapOption(level, option);
  if (IsTimeOption(level, option)) {
    timeval time{};
    socklen_t size = sizeof time;
    CheckForSocketError(::getsockopt(socket, level, option, &time, &size));
    return static_cast<int>(time.tv_sec * 1000 + time.tv_usec / 1000);
  }
  if (level == SOL_SOCKET && option == SO_LINGER) {
    linger time{};
    socklen_t size = sizeof time;
    CheckForSocketError(::getsockopt(socket, level, option, &time, &size));
    return time.l_onoff ? time.l_linger : -1;
  }
  int value = 0;
  socklen_t size = sizeof value;
  CheckForSocketError(::getsockopt(socket, level, option, &value, &size));
  return value;
}

int TNetStackPosix::WSGetLastError() {
  return WinSockErrorFromErrno(errno);
}

}  // namespace vornel
