// A loopback HTTP server for tests that plays scripted bytes: for every accepted
// connection a list of steps, each reading one request (head and counted body)
// and writing exact reply bytes, then keeping the connection, closing it or
// resetting it.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vornel::test {

struct TScriptStep {
  enum TAfter { Stay, Close, Reset };
  std::string Reply;
  TAfter After = Stay;
  bool ReadRequest = true;
};

using TConnectionScript = std::vector<TScriptStep>;

class TScriptedServer {
 public:
  explicit TScriptedServer(std::vector<TConnectionScript> connections);
  ~TScriptedServer();
  TScriptedServer(const TScriptedServer&) = delete;
  TScriptedServer& operator=(const TScriptedServer&) = delete;

  std::uint16_t Port() const { return FPort; }
  std::u16string Url(const std::string& path = "/") const;
  // Every request read so far, head and body, in order.
  std::vector<std::string> Requests() const;
  int Accepted() const { return FAccepted; }
  // Waits until the script has run to its end (or the listener was shut).
  void Finish();

 private:
  void Run(std::vector<TConnectionScript> connections);
  void Serve(int socket, const TConnectionScript& script);
  bool ReadRequest(int socket, std::string& pending);

  int FListener = -1;
  std::uint16_t FPort = 0;
  std::atomic<bool> FStop{false};
  std::atomic<int> FAccepted{0};
  mutable std::mutex FLock;
  std::vector<std::string> FRequests;
  std::thread FThread;
};

// A reply with a status line, header lines and a body; "Content-Length" is added
// when withLength is set.
std::string Reply(const std::string& statusLine, const std::vector<std::string>& headers,
                  const std::string& body, bool withLength = true);

// The value of a header line of a recorded request, or "-" when it has none.
std::string HeaderOf(const std::string& request, const std::string& name);

}  // namespace vornel::test
