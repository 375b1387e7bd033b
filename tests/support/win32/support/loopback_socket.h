// Plain TCP on 127.0.0.1 for the tests' own servers and clients, on the WinSock
// calls, so that it shares nothing with the code under test. Sockets are kept as
// int, as the socket layer keeps them; -1 is none.
#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

namespace vornel::test::loopback {

// WinSock is started for the test program's whole run.
inline void Start() {
  static const bool started = [] {
    WSADATA data{};
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  (void)started;
}

inline SOCKET Handle(int fd) {
  return static_cast<SOCKET>(static_cast<std::intptr_t>(fd));
}

inline int Fd(SOCKET handle) {
  return handle == INVALID_SOCKET ? -1 : static_cast<int>(static_cast<std::intptr_t>(handle));
}

inline void Close(int fd) {
  ::closesocket(Handle(fd));
}

// A listening socket with an ephemeral port, or -1.
inline int Listen(int backlog = 16) {
  Start();
  const int fd = Fd(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (fd < 0 || ::bind(Handle(fd), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(Handle(fd), backlog) != 0) {
    if (fd >= 0)
      Close(fd);
    return -1;
  }
  return fd;
}

inline std::uint16_t LocalPort(int fd) {
  sockaddr_in address{};
  int length = sizeof address;
  ::getsockname(Handle(fd), reinterpret_cast<sockaddr*>(&address), &length);
  return ntohs(address.sin_port);
}

// A socket connected to the port, or -1.
inline int Connect(std::uint16_t port) {
  Start();
  const int fd = Fd(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  if (fd >= 0 && ::connect(Handle(fd), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
    return fd;
  if (fd >= 0)
    Close(fd);
  return -1;
}

inline int Accept(int listener) {
  return Fd(::accept(Handle(listener), nullptr, nullptr));
}

// Whether the socket has something to read (or its end) within ms.
inline bool Readable(int fd, int ms) {
  WSAPOLLFD entry{Handle(fd), POLLRDNORM, 0};
  return ::WSAPoll(&entry, 1, ms) > 0;
}

// Bytes received (0 at the end, negative on an error).
inline long Receive(int fd, char* buffer, std::size_t size) {
  return ::recv(Handle(fd), buffer, static_cast<int>(size), 0);
}

// Sends every byte; false at the first error. The socket sends without
// blocking and tries again after a short wait for room: under Wine 8 a blocking
// send of megabytes may wait for ever once the peer has reset the connection,
// while a send tried again reports the reset.
inline bool SendAll(int fd, const char* data, std::size_t size) {
  u_long nonBlocking = 1;
  ::ioctlsocket(Handle(fd), FIONBIO, &nonBlocking);
  bool sent = true;
  while (size > 0) {
    const int n =
        ::send(Handle(fd), data, static_cast<int>(std::min<std::size_t>(size, 1 << 20)), 0);
    if (n > 0) {
      data += n;
      size -= static_cast<std::size_t>(n);
    } else if (n < 0 && ::WSAGetLastError() == WSAEWOULDBLOCK) {
      WSAPOLLFD entry{Handle(fd), POLLWRNORM, 0};
      ::WSAPoll(&entry, 1, 20);
    } else {
      sent = false;
      break;
    }
  }
  u_long blocking = 0;
  ::ioctlsocket(Handle(fd), FIONBIO, &blocking);
  return sent;
}

inline bool SendAll(int fd, const std::string& bytes) {
  return SendAll(fd, bytes.data(), bytes.size());
}

// An end of the sending direction: the peer reads its end of data.
inline void EndSending(int fd) {
  ::shutdown(Handle(fd), SD_SEND);
}

// An abortive close: the peer sees a reset.
inline void Reset(int fd) {
  linger hard{1, 0};
  ::setsockopt(Handle(fd), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&hard),
               sizeof hard);
  Close(fd);
}

}  // namespace vornel::test::loopback
