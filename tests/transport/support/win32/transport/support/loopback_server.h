// The Windows twin of the tests' loopback TCP server (the build puts this folder
// ahead of the POSIX one): the same interface on raw WinSock calls, so that it
// shares nothing with the code under test. Each accepted connection runs a script
// on the server's thread. Socket handles are kept as int, as the layer keeps them.
#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>

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

// The tests' plain socket helpers, under the names the transport's tests use on
// both systems.
using loopback::LocalPort;

inline void CloseFd(int fd) {
  loopback::Close(fd);
}

// A listening socket on 127.0.0.1 with an ephemeral port (or the one given).
inline int ListenLoopback(std::uint16_t port = 0, int backlog = 16) {
  loopback::Start();
  const SOCKET handle = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (handle == INVALID_SOCKET)
    throw std::runtime_error("socket");
  const int fd = static_cast<int>(static_cast<std::intptr_t>(handle));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(handle, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(handle, backlog) != 0) {
    CloseFd(fd);
    throw std::runtime_error("bind/listen");
  }
  return fd;
}

// A connected socket as its handle and local port ("1234:50000"), or empty. A
// handle value may come back for a new socket, but not with the same port.
inline std::string SocketIdentity(int fd) {
  sockaddr_in address{};
  int length = sizeof address;
  if (::getsockname(loopback::Handle(fd), reinterpret_cast<sockaddr*>(&address), &length) != 0)
    return {};
  return std::to_string(fd) + ":" + std::to_string(ntohs(address.sin_port));
}

// Whether the socket of that identity is still open in this process.
inline bool SocketStillOpen(const std::string& identity) {
  const int fd = std::stoi(identity.substr(0, identity.find(':')));
  return SocketIdentity(fd) == identity;
}

// A listening socket on ::1 with an ephemeral port, closed with the object; not
// listening where the system has no IPv6.
class TIPv6LoopbackListener {
 public:
  TIPv6LoopbackListener() {
    loopback::Start();
    const SOCKET handle = ::socket(AF_INET6, SOCK_STREAM, IPPROTO_TCP);
    if (handle == INVALID_SOCKET)
      return;
    FFd = static_cast<int>(static_cast<std::intptr_t>(handle));
    sockaddr_in6 address{};
    address.sin6_family = AF_INET6;
    address.sin6_addr = in6addr_loopback;
    if (::bind(handle, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(handle, 4) != 0) {
      CloseFd(FFd);
      FFd = -1;
      return;
    }
    int length = sizeof address;
    ::getsockname(handle, reinterpret_cast<sockaddr*>(&address), &length);
    FPort = ntohs(address.sin6_port);
  }
  ~TIPv6LoopbackListener() {
    if (FFd >= 0)
      CloseFd(FFd);
  }
  TIPv6LoopbackListener(const TIPv6LoopbackListener&) = delete;
  TIPv6LoopbackListener& operator=(const TIPv6LoopbackListener&) = delete;

  bool Listening() const { return FFd >= 0; }
  std::uint16_t Port() const { return FPort; }

 private:
  int FFd = -1;
  std::uint16_t FPort = 0;
};

// What a script does with its accepted connection.
class TPeer {
 public:
  explicit TPeer(int fd) : FFd(fd) {}
  int Fd() const { return FFd; }

  void Send(const std::string& bytes) { Send(bytes.data(), bytes.size()); }
  void Send(const void* data, std::size_t size) {
    loopback::SendAll(FFd, static_cast<const char*>(data), size);
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
      const int n = ::recv(loopback::Handle(FFd), buffer,
                           static_cast<int>(std::min(sizeof buffer, count - data.size())), 0);
      if (n <= 0)
        break;
      data.append(buffer, static_cast<std::size_t>(n));
    }
    return data;
  }
  // Waits until the peer closes (or ms pass); true when it closed.
  bool WaitForClose(int ms) {
    WSAPOLLFD entry{loopback::Handle(FFd), POLLRDNORM, 0};
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    char buffer[4096];
    while (std::chrono::steady_clock::now() < end) {
      if (::WSAPoll(&entry, 1, 20) > 0) {
        const int n = ::recv(loopback::Handle(FFd), buffer, sizeof buffer, 0);
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
      CloseFd(FFd);
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
    CloseFd(FListener);
  }
  TLoopbackServer(const TLoopbackServer&) = delete;
  TLoopbackServer& operator=(const TLoopbackServer&) = delete;

  std::uint16_t Port() const { return FPort; }
  int Accepted() const { return FAccepted; }

 private:
  void Run() {
    // Connections still queued when the server is told to stop are served first.
    for (;;) {
      WSAPOLLFD entry{loopback::Handle(FListener), POLLRDNORM, 0};
      if (::WSAPoll(&entry, 1, 20) <= 0) {
        if (FStop)
          return;
        continue;
      }
      const SOCKET accepted = ::accept(loopback::Handle(FListener), nullptr, nullptr);
      if (accepted == INVALID_SOCKET)
        continue;
      const int fd = static_cast<int>(static_cast<std::intptr_t>(accepted));
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
