// Real TLS peers for the handler's tests: a test CA with server certificates
// made at test time by the openssl command, and peer programs (openssl s_server,
// the scripted Python peer) started as child processes on loopback.
#pragma once

#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace vornel::test {

// Folder of the test sources: the Python peer.
inline std::string TlsTestSourceDir() {
  return VORNEL_TLS_TEST_DIR;
}

// The project's test CA (tools/demo_server/make_test_ca) in a temporary folder
// removed with the object. Cert("server") is the leaf for localhost with its
// intermediate CA, as servers send it; the variants are "leaf-only",
// "two-intermediates", "expired", "other-name" and "self-signed".
class TTestPki {
 public:
  TTestPki() {
    char pattern[] = "/tmp/vornel-tls-pki-XXXXXX";
    if (!::mkdtemp(pattern))
      throw std::runtime_error("mkdtemp");
    FDir = pattern;
    const std::string command =
        "'" VORNEL_SOURCE_DIR "/tools/demo_server/make_test_ca' '" + FDir + "' >/dev/null";
    if (std::system(command.c_str()) != 0)
      throw std::runtime_error("make_test_ca failed");
  }
  ~TTestPki() { std::system(("rm -rf '" + FDir + "'").c_str()); }
  TTestPki(const TTestPki&) = delete;
  TTestPki& operator=(const TTestPki&) = delete;

  const std::string& Dir() const { return FDir; }
  std::string Cert(const std::string& name) const { return FDir + "/" + name + ".pem"; }
  std::string Key(const std::string& name) const { return FDir + "/" + name + ".key"; }
  std::string CA() const { return FDir + "/ca.pem"; }

 private:
  std::string FDir;
};

// A child process whose standard output is read line by line; ended (SIGTERM,
// then SIGKILL) and reaped with the object.
class TPeerProcess {
 public:
  explicit TPeerProcess(const std::vector<std::string>& argv) {
    int out[2];
    if (::pipe(out) != 0)
      throw std::runtime_error("pipe");
    FPid = ::fork();
    if (FPid < 0)
      throw std::runtime_error("fork");
    if (FPid == 0) {
      ::dup2(out[1], 1);
      const int devNull = ::open("/dev/null", O_RDWR);
      ::dup2(devNull, 0);
      ::dup2(devNull, 2);
      ::close(out[0]);
      ::close(out[1]);
      std::vector<char*> args;
      for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
      args.push_back(nullptr);
      ::execvp(args[0], args.data());
      ::_exit(127);
    }
    ::close(out[1]);
    FOut = out[0];
  }
  ~TPeerProcess() {
    ::close(FOut);
    if (FPid > 0) {
      ::kill(FPid, SIGTERM);
      for (int i = 0; i < 100; ++i) {
        if (::waitpid(FPid, nullptr, WNOHANG) == FPid)
          return;
        ::usleep(10000);
      }
      ::kill(FPid, SIGKILL);
      ::waitpid(FPid, nullptr, 0);
    }
  }
  TPeerProcess(const TPeerProcess&) = delete;
  TPeerProcess& operator=(const TPeerProcess&) = delete;

  // The next line of output without its end; nothing after the time-out or the end.
  std::optional<std::string> ReadLine(int timeoutMs = 20000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      const std::size_t end = FPending.find('\n');
      if (end != std::string::npos) {
        std::string line = FPending.substr(0, end);
        FPending.erase(0, end + 1);
        return line;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                            deadline - std::chrono::steady_clock::now())
                            .count();
      if (left <= 0)
        return std::nullopt;
      pollfd p{FOut, POLLIN, 0};
      if (::poll(&p, 1, static_cast<int>(left)) <= 0)
        return std::nullopt;
      char buffer[4096];
      const ssize_t n = ::read(FOut, buffer, sizeof buffer);
      if (n <= 0)
        return std::nullopt;
      FPending.append(buffer, static_cast<std::size_t>(n));
    }
  }
  // Skips lines until one begins with prefix and returns the rest of it; "?"
  // when none came.
  std::string WaitFor(const std::string& prefix, int timeoutMs = 20000) {
    while (std::optional<std::string> line = ReadLine(timeoutMs)) {
      if (line->rfind(prefix, 0) == 0)
        return line->substr(prefix.size());
    }
    return "?";
  }

 private:
  pid_t FPid = -1;
  int FOut = -1;
  std::string FPending;
};

// The port a peer announced: "PORT <n>" (Python peer) or "ACCEPT <addr>:<n>"
// (openssl s_server).
inline std::uint16_t AnnouncedPort(TPeerProcess& peer) {
  for (int i = 0; i < 50; ++i) {
    const std::optional<std::string> found = peer.ReadLine();
    if (!found)
      break;
    const std::string& line = *found;
    if (line.rfind("PORT ", 0) == 0)
      return static_cast<std::uint16_t>(std::stoi(line.substr(5)));
    if (line.rfind("ACCEPT ", 0) == 0)
      return static_cast<std::uint16_t>(std::stoi(line.substr(line.rfind(':') + 1)));
  }
  throw std::runtime_error("the peer announced no port");
}

// openssl s_server answering HTTP requests with a status page. It sends the
// certificates of the file that follow the leaf as its chain, as servers do.
inline std::vector<std::string> SServer(const TTestPki& pki, const std::string& cert,
                                        std::vector<std::string> extra = {}) {
  std::vector<std::string> argv = {"openssl",     "s_server",    "-accept",      "127.0.0.1:0",
                                   "-www",        "-cert",       pki.Cert(cert), "-key",
                                   pki.Key(cert), "-cert_chain", pki.Cert(cert)};
  argv.insert(argv.end(), extra.begin(), extra.end());
  return argv;
}

inline std::vector<std::string> PythonPeer(const TTestPki& pki, const std::string& mode,
                                           const std::string& arg = {}) {
  std::vector<std::string> argv = {"python3", TlsTestSourceDir() + "/tls_peer.py", mode,
                                   pki.Cert("server"), pki.Key("server")};
  if (!arg.empty())
    argv.push_back(arg);
  return argv;
}

}  // namespace vornel::test
