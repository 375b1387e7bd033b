// The project's demo server (tools/demo_server) as a child process on loopback, with
// a test CA and server certificate made once per test process.
#pragma once

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace vornel::testing {

inline const std::filesystem::path& SourceDir() {
  static const std::filesystem::path dir = VORNEL_SOURCE_DIR;
  return dir;
}

// A folder made by make_test_ca: the root ca.pem, and certificates for localhost as
// servers send them. "server" is the leaf with its intermediate CA; the variants are
// "leaf-only", "two-intermediates", "expired", "other-name" and "self-signed".
class TTestCA {
 public:
  explicit TTestCA(const std::filesystem::path& dir) : FDir(dir) {
    std::string command = "'";
    command += (SourceDir() / "tools/demo_server/make_test_ca").string();
    command += "' '" + dir.string() + "'";
    if (std::system(command.c_str()) != 0)
      throw std::runtime_error("make_test_ca failed");
  }
  std::filesystem::path CA() const { return FDir / "ca.pem"; }
  std::filesystem::path Cert(const std::string& variant = "server") const {
    return FDir / (variant + ".pem");
  }
  std::filesystem::path Key(const std::string& variant = "server") const {
    return FDir / (variant + ".key");
  }

 private:
  std::filesystem::path FDir;
};

class TDemoServer {
 public:
  // Serves with the CA's certificate of that variant.
  TDemoServer(const std::filesystem::path& setFile, const TTestCA& ca,
              const std::vector<std::string>& options, const std::string& variant = "server") {
    std::vector<std::string> args = {
        "python3", (SourceDir() / "tools/demo_server/demo_server.py").string(),
        "--set",   setFile.string(),
        "--cert",  ca.Cert(variant).string(),
        "--key",   ca.Key(variant).string()};
    args.insert(args.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (std::string& a : args)
      argv.push_back(a.data());
    argv.push_back(nullptr);

    int out[2];
    if (pipe(out) != 0)
      throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, out[1]);
    const int rc = posix_spawnp(&FPid, "python3", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (rc != 0) {
      close(out[0]);
      throw std::runtime_error("cannot start the demo server");
    }
    FOutput = fdopen(out[0], "r");
    if (FOutput == nullptr || std::fscanf(FOutput, "PORT %d", &FPort) != 1) {
      Stop();
      throw std::runtime_error("the demo server did not report its port");
    }
  }
  ~TDemoServer() { Stop(); }
  TDemoServer(const TDemoServer&) = delete;
  TDemoServer& operator=(const TDemoServer&) = delete;

  int Port() const { return FPort; }
  pid_t Pid() const { return FPid; }
  // The host of the download addresses for this server.
  std::u16string Host() const {
    const std::string host = "localhost:" + std::to_string(FPort);
    return {host.begin(), host.end()};
  }

 private:
  void Stop() {
    if (FPid > 0) {
      kill(FPid, SIGKILL);
      waitpid(FPid, nullptr, 0);
      FPid = -1;
    }
    if (FOutput != nullptr) {
      std::fclose(FOutput);
      FOutput = nullptr;
    }
  }

  pid_t FPid = -1;
  FILE* FOutput = nullptr;
  int FPort = 0;
};

}  // namespace vornel::testing
