// Plain TCP on 127.0.0.1 for the tests' own servers and clients, on the POSIX
// socket calls, so that it shares nothing with the code under test. Sockets are
// kept as int; -1 is none.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace vornel::test::loopback {

// A listening socket with an ephemeral port, or -1.
inline int Listen(int backlog = 16) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(fd, backlog) != 0) {
    if (fd >= 0)
      ::close(fd);
    return -1;
  }
  return fd;
}

inline std::uint16_t LocalPort(int fd) {
  sockaddr_in address{};
  socklen_t length = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  return ntohs(address.sin_port);
}

// A socket connected to the port, or -1.
inline int Connect(std::uint16_t port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
    return fd;
  if (fd >= 0)
    ::close(fd);
  return -1;
}

inline int Accept(int listener) {
  return ::accept(listener, nullptr, nullptr);
}

// Whether the socket has something to read (or its end) within ms.
inline bool Readable(int fd, int ms) {
  pollfd entry{fd, POLLIN, 0};
  return ::poll(&entry, 1, ms) > 0;
}

// Bytes received (0 at the end, negative on an error).
inline long Receive(int fd, char* buffer, std::size_t size) {
  return static_cast<long>(::recv(fd, buffer, size, 0));
}

inline bool SendAll(int fd, const std::string& bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0)
      return false;
    sent += static_cast<std::size_t>(n);
  }
  return true;
}

// An end of the sending direction: the peer reads its end of data.
inline void EndSending(int fd) {
  ::shutdown(fd, SHUT_WR);
}

// An abortive close: the peer sees a reset.
inline void Reset(int fd) {
  linger hard{1, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
  ::close(fd);
}

inline void Close(int fd) {
  ::close(fd);
}

}  // namespace vornel::test::loopback
