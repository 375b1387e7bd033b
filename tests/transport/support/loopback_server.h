// A tiny loopback TCP server for tests, written on raw POSIX sockets so that it
// shares nothing with the code under test. Each accepted connection runs a
// script on the server's thread.
#pragma once

#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "support/loopback_socket.h"

namespace vornel::test {

// A listening socket on 127.0.0.1 with an ephemeral port (or the one given).
inline int ListenLoopback(std::uint16_t port = 0, int backlog = 16) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0)
    throw std::runtime_error("socket");
  int one = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(fd, backlog) != 0) {
    ::close(fd);
    throw std::runtime_error("bind/listen");
  }
  return fd;
}

using loopback::LocalPort;

inline void CloseFd(int fd) {
  loopback::Close(fd);
}

// The kernel object behind a descriptor ("socket:[12345]"), or empty.
inline std::string SocketIdentity(int fd) {
  char target[256] = {};
  const std::string link = "/proc/self/fd/" + std::to_string(fd);
  const ssize_t n = ::readlink(link.c_str(), target, sizeof target - 1);
  return n > 0 ? std::string(target, static_cast<std::size_t>(n)) : std::string();
}

// Whether any descriptor of the process still refers to that socket (not a count
// of descriptors: other threads open and close their own meanwhile).
inline bool SocketStillOpen(const std::string& identity) {
  bool found = false;
  if (DIR* dir = ::opendir("/proc/self/fd")) {
    while (const dirent* entry = ::readdir(dir)) {
      if (entry->d_name[0] != '.' && SocketIdentity(std::atoi(entry->d_name)) == identity)
        found = true;
    }
    ::closedir(dir);
  }
  return found;
}

// A listening socket on ::1 with an ephemeral port, closed with the object; not
// listening where the machine has no IPv6 loopback.
class TIPv6LoopbackListener {
 public:
  TIPv6LoopbackListener() : FFd(::socket(AF_INET6, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    sockaddr_in6 address{};
    address.sin6_family = AF_INET6;
    address.sin6_addr = in6addr_loopback;
    if (FFd < 0 || ::bind(FFd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(FFd, 4) != 0) {
      if (FFd >= 0)
        ::close(FFd);
      FFd = -1;
      return;
    }
    socklen_t length = sizeof address;
    ::getsockname(FFd, reinterpret_cast<sockaddr*>(&address), &length);
    FPort = ntohs(address.sin6_port);
  }
  ~TIPv6LoopbackListener() {
    if (FFd >= 0)
      ::close(FFd);
  }
  TIPv6LoopbackListener(const TIPv6LoopbackListener&) = delete;
  TIPv6LoopbackListener& operator=(const TIPv6LoopbackListener&) = delete;

  bool Listening() const { return FFd >= 0; }
  std::uint16_t Port() const { return FPort; }

 private:
  int FFd;
  std::uint16_t FPort = 0;
};

// What a script does with its accepted connection.
class TPeer {
 public:
  explicit TPeer(int fd) : FFd(fd) {}
  int Fd() const { return FFd; }

  void Send(const std::string& bytes) { Send(bytes.data(), bytes.size()); }
  void Send(const void* data, std::size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
      const ssize_t n = ::send(FFd, p, size, MSG_NOSIGNAL);
      if (n <= 0)
        return;
      p += n;
      size -= static_cast<std::size_t>(n);
    }
  }
  // Sends count bytes of a repeating pattern (byte i is i mod 251).
  void SendPattern(std::size_t count, std::size_t first = 0) {
    std::vector<char> chunk(65536);
    while (count > 0) {
      const std::size_t n = std::min(count, chunk.size());
      for (std::size_t i = 0; i < n; ++i)
        chunk[i] = static_cast<char>((first + i) % 251);
      Send(chunk.data(), n);
      first += n;
      count -= n;
    }
  }
  // Sends and waits until the peer has taken the bytes off the wire, so the next
  // piece arrives in a receive of its own.
  void SendSeparately(const std::string& bytes) {
    Send(bytes);
    Pause(50);
  }
  static void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
  // Reads until count bytes arrived or the peer closed; returns what arrived.
  std::string Receive(std::size_t count) {
    std::string data;
    char buffer[4096];
    while (data.size() < count) {
      const ssize_t n = ::recv(FFd, buffer, std::min(sizeof buffer, count - data.size()), 0);
      if (n <= 0)
        break;
      data.append(buffer, static_cast<std::size_t>(n));
    }
    return data;
  }
  // Waits until the peer closes (or ms pass); true when it closed.
  bool WaitForClose(int ms) {
    pollfd entry{FFd, POLLIN, 0};
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    char buffer[4096];
    while (std::chrono::steady_clock::now() < end) {
      if (::poll(&entry, 1, 20) > 0) {
        const ssize_t n = ::recv(FFd, buffer, sizeof buffer, 0);
        if (n <= 0)
          return true;
      }
    }
    return false;
  }
  // An abortive close: the peer sees a reset.
  void Reset() {
    if (FFd >= 0)
      loopback::Reset(FFd);
    FFd = -1;
  }
  void Close() {
    if (FFd >= 0)
      ::close(FFd);
    FFd = -1;
  }

 private:
  int FFd;
};

using TScript = std::function<void(TPeer&)>;

// Accepts connections one after the other and runs the script on each; the
// connection is closed when the script returns.
class TLoopbackServer {
 public:
  explicit TLoopbackServer(TScript script)
      : FListener(ListenLoopback()), FScript(std::move(script)) {
    FPort = LocalPort(FListener);
    FThread = std::thread([this] { Run(); });
  }
  ~TLoopbackServer() {
    FStop = true;
    FThread.join();
    ::close(FListener);
  }
  TLoopbackServer(const TLoopbackServer&) = delete;
  TLoopbackServer& operator=(const TLoopbackServer&) = delete;

  std::uint16_t Port() const { return FPort; }
  int Accepted() const { return FAccepted; }

 private:
  void Run() {
    // Connections still queued when the server is told to stop are served first.
    for (;;) {
      pollfd entry{FListener, POLLIN, 0};
      if (::poll(&entry, 1, 20) <= 0) {
        if (FStop)
          return;
        continue;
      }
      const int fd = ::accept4(FListener, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0)
        continue;
      ++FAccepted;
      TPeer peer(fd);
      FScript(peer);
      peer.Close();
    }
  }

  int FListener;
  std::uint16_t FPort = 0;
  TScript FScript;
  std::atomic<bool> FStop{false};
  std::atomic<int> FAccepted{0};
  std::thread FThread;
};

}  // namespace vornel::test
