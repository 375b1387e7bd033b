// Throughput of a counted ReadStream over TLS, against a bare SSL_read loop on
// the same kind of connection in the same run. A loopback server on a thread of
// this process sends the bytes through OpenSSL directly.
//
// Usage: tls_read_stream_bench [MiB] (default 1024). Prints both rates and the
// ratio handler / bare loop.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/stream.h"
#include "support/discard_stream.h"
#include "transport/tcp_client.h"
#include "transport/tls/openssl_binding.h"
#include "transport/tls/ssl_io_handler.h"

namespace vornel {
namespace {

using testing::TDiscardStream;

// Accepts one connection per run and sends `bytes` bytes through TLS.
class TServer {
 public:
  TServer(const std::string& cert, const std::string& key) {
    const TNetOpenSSLEntries& e = OpenSSLEntries();
    FCtx = e.SSL_CTX_new(e.TLS_server_method());
    if (e.SSL_CTX_use_certificate_file(FCtx, cert.c_str(), SSL_FILETYPE_PEM) <= 0 ||
        e.SSL_CTX_use_PrivateKey_file(FCtx, key.c_str(), SSL_FILETYPE_PEM) <= 0)
      throw std::runtime_error("server certificate");
    FListen = ::socket(AF_INET, SOCK_STREAM, 0);
    int one = 1;
    ::setsockopt(FListen, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(FListen, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::listen(FListen, 4);
    socklen_t n = sizeof a;
    ::getsockname(FListen, reinterpret_cast<sockaddr*>(&a), &n);
    FPort = ntohs(a.sin_port);
  }
  ~TServer() {
    ::close(FListen);
    OpenSSLEntries().SSL_CTX_free(FCtx);
  }
  std::uint16_t Port() const { return FPort; }

  std::thread Serve(std::int64_t bytes) {
    return std::thread([this, bytes] {
      const TNetOpenSSLEntries& e = OpenSSLEntries();
      const int fd = ::accept(FListen, nullptr, nullptr);
      SSL* ssl = e.SSL_new(FCtx);
      e.SSL_set_fd(ssl, fd);
      if (e.SSL_accept(ssl) == 1) {
        std::vector<unsigned char> block(16384, 'x');
        std::int64_t left = bytes;
        while (left > 0) {
          const int n =
              e.SSL_write(ssl, block.data(), static_cast<int>(std::min<std::int64_t>(left, 16384)));
          if (n <= 0)
            break;
          left -= n;
        }
        e.SSL_shutdown(ssl);
      }
      e.SSL_free(ssl);
      ::close(fd);
    });
  }

 private:
  SSL_CTX* FCtx = nullptr;
  int FListen = -1;
  std::uint16_t FPort = 0;
};

double Seconds(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The handler: connect, then one counted ReadStream into a discarding stream.
double RunHandler(TServer& server, std::int64_t bytes) {
  std::thread serving = server.Serve(bytes);
  TNetSSLIOHandlerSocketOpenSSL handler;
  TNetTCPClientCustom client;
  client.SetIOHandler(&handler);
  client.SetHost(u"127.0.0.1");
  client.SetPort(server.Port());
  client.Connect();
  TDiscardStream sink;
  const auto start = std::chrono::steady_clock::now();
  handler.ReadStream(&sink, bytes);
  const double s = Seconds(start);
  client.Disconnect();
  serving.join();
  if (sink.Size() != bytes)
    throw std::runtime_error("short read through the handler");
  return s;
}

// The bare loop: the same TLS client context, SSL_read into a 32768-byte buffer.
double RunBareLoop(TServer& server, std::int64_t bytes) {
  const TNetOpenSSLEntries& e = OpenSSLEntries();
  std::thread serving = server.Serve(bytes);
  SSL_CTX* ctx = e.SSL_CTX_new(e.TLS_client_method());
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(server.Port());
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0)
    throw std::runtime_error("connect");
  SSL* ssl = e.SSL_new(ctx);
  e.SSL_set_fd(ssl, fd);
  if (e.SSL_connect(ssl) != 1)
    throw std::runtime_error("SSL_connect");
  std::vector<unsigned char> buffer(32768);
  std::int64_t got = 0;
  const auto start = std::chrono::steady_clock::now();
  while (got < bytes) {
    const int n = e.SSL_read(ssl, buffer.data(), static_cast<int>(buffer.size()));
    if (n <= 0)
      break;
    got += n;
  }
  const double s = Seconds(start);
  e.SSL_shutdown(ssl);
  e.SSL_free(ssl);
  ::close(fd);
  e.SSL_CTX_free(ctx);
  serving.join();
  if (got != bytes)
    throw std::runtime_error("short read in the bare loop");
  return s;
}

int Main(int argc, char** argv) {
  const std::int64_t mib = argc > 1 ? std::atoll(argv[1]) : 1024;
  const std::int64_t bytes = mib * 1024 * 1024;
  if (!LoadOpenSSLLibrary())
    throw std::runtime_error("OpenSSL could not be loaded");

  char dir[] = "/tmp/vornel-tls-bench-XXXXXX";
  if (!::mkdtemp(dir))
    throw std::runtime_error("mkdtemp");
  const std::string pki =
      std::string("sh '") + VORNEL_TLS_PKI_SCRIPT + "' '" + dir + "' >/dev/null";
  if (std::system(pki.c_str()) != 0)
    throw std::runtime_error("test PKI");
  TServer server(std::string(dir) + "/server.pem", std::string(dir) + "/server.key");

  // Alternating runs; the best of each counts.
  double handler = 1e9, bare = 1e9;
  for (int round = 0; round < 3; ++round) {
    bare = std::min(bare, RunBareLoop(server, bytes));
    handler = std::min(handler, RunHandler(server, bytes));
  }
  std::system((std::string("rm -rf '") + dir + "'").c_str());

  const double mb = static_cast<double>(bytes) / (1024.0 * 1024.0);
  std::printf("TLS ReadStream of %lld MiB over loopback (best of 3)\n",
              static_cast<long long>(mib));
  std::printf("  bare SSL_read loop : %8.1f MiB/s (%.3f s)\n", mb / bare, bare);
  std::printf("  handler ReadStream : %8.1f MiB/s (%.3f s)\n", mb / handler, handler);
  std::printf("  ratio handler/bare : %.3f (target >= 0.9)\n", bare / handler);
  return 0;
}

}  // namespace
}  // namespace vornel

int main(int argc, char** argv) {
  try {
    return vornel::Main(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tls_read_stream_bench: %s\n", e.what());
    return 1;
  }
}
