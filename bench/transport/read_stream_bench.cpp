// Throughput of a counted ReadStream from a loopback server into a stream that
// drops its bytes, against a plain recv loop into a 32 KiB buffer in the same
// run. Usage: transport_read_stream_bench [MiB per run] [rounds]
#include <sys/socket.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/stream.h"
#include "support/discard_stream.h"
#include "transport/support/loopback_server.h"
#include "transport/tcp_client.h"

namespace {

using namespace vornel;

using testing::TDiscardStream;

double Seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

// The server sends the same block again and again, count bytes per connection.
test::TScript Sender(std::int64_t count) {
  return [count](test::TPeer& peer) {
    std::vector<char> block(1 << 20, 'v');
    std::int64_t left = count;
    while (left > 0) {
      const std::size_t n = static_cast<std::size_t>(std::min<std::int64_t>(left, block.size()));
      peer.Send(block.data(), n);
      left -= static_cast<std::int64_t>(n);
    }
    peer.WaitForClose(60000);
  };
}

double PlainRecv(std::uint16_t port, std::int64_t count) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
    std::abort();
  std::vector<char> buffer(32768);
  std::int64_t received = 0;
  const auto start = std::chrono::steady_clock::now();
  while (received < count) {
    const ssize_t n = ::recv(fd, buffer.data(), buffer.size(), 0);
    if (n <= 0)
      std::abort();
    received += n;
  }
  const double seconds = Seconds(std::chrono::steady_clock::now() - start);
  ::close(fd);
  return seconds;
}

double HandlerReadStream(std::uint16_t port, std::int64_t count) {
  TNetTCPClientCustom client;
  client.Connect(u"127.0.0.1", port);
  TDiscardStream stream;
  const auto start = std::chrono::steady_clock::now();
  client.IOHandler()->ReadStream(&stream, count);
  const double seconds = Seconds(std::chrono::steady_clock::now() - start);
  if (stream.Size() != count)
    std::abort();
  client.Disconnect();
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  const std::int64_t mib = argc > 1 ? std::atoll(argv[1]) : 1024;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
  const std::int64_t count = mib << 20;
  test::TLoopbackServer server(Sender(count));
  std::vector<double> plain;
  std::vector<double> handler;
  for (int round = 0; round < rounds; ++round) {
    plain.push_back(PlainRecv(server.Port(), count));
    handler.push_back(HandlerReadStream(server.Port(), count));
  }
  // The median of the rounds, so a single disturbed run does not decide.
  std::sort(plain.begin(), plain.end());
  std::sort(handler.begin(), handler.end());
  const double plainRate = static_cast<double>(mib) / plain[plain.size() / 2];
  const double handlerRate = static_cast<double>(mib) / handler[handler.size() / 2];
  std::printf("plain recv loop (32 KiB):   %8.1f MiB/s  (%lld MiB, median of %d)\n", plainRate,
              static_cast<long long>(mib), rounds);
  std::printf("TNetIOHandler::ReadStream:  %8.1f MiB/s\n", handlerRate);
  std::printf("ratio ReadStream / plain:   %8.3f\n", handlerRate / plainRate);
  return 0;
}
