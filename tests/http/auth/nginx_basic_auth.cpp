#include "nginx_basic_auth.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

extern char** environ;

namespace vornel::test {

namespace {

sockaddr_in Loopback(std::uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  return address;
}

std::uint16_t FreePort() {
  const int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address = Loopback(0);
  socklen_t length = sizeof address;
  bind(s, reinterpret_cast<sockaddr*>(&address), length);
  getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
  close(s);
  return ntohs(address.sin_port);
}

bool Accepts(std::uint16_t port) {
  const int s = socket(AF_INET, SOCK_STREAM, 0);
  const sockaddr_in address = Loopback(port);
  const bool ok = connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  close(s);
  return ok;
}

// The hash "openssl passwd -apr1" makes of the password; empty when it fails.
std::string PasswordHash(const std::string& password) {
  const std::string command = "openssl passwd -apr1 '" + password + "' 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe)
    return {};
  char line[256] = {};
  const bool read = std::fgets(line, sizeof line, pipe) != nullptr;
  pclose(pipe);
  std::string hash = read ? line : "";
  while (!hash.empty() && (hash.back() == '\n' || hash.back() == '\r'))
    hash.pop_back();
  return hash;
}

}  // namespace

TNginxBasicAuth::TNginxBasicAuth(const std::string& user, const std::string& password) {
  if (access("/usr/sbin/nginx", X_OK) != 0)
    return;
  const std::string hash = PasswordHash(password);
  if (hash.empty())
    return;
  char pattern[] = "/tmp/vornel-auth-nginx-XXXXXX";
  if (!mkdtemp(pattern))
    return;
  FFolder = pattern;
  std::filesystem::create_directories(FFolder + "/www/private");
  std::filesystem::create_directories(FFolder + "/tmp");
  std::ofstream(FFolder + "/www/private/secret.txt") << "the secret";
  std::ofstream(FFolder + "/htpasswd") << user << ":" << hash << "\n";

  FPort = FreePort();
  std::ofstream conf(FFolder + "/nginx.conf");
  conf << "daemon off;\nmaster_process off;\nworker_processes 1;\n"
       << "error_log " << FFolder << "/error.log;\npid " << FFolder << "/nginx.pid;\n"
       << "events { worker_connections 16; }\nhttp {\n"
       << "  access_log off;\n";
  for (const char* kind : {"client_body", "proxy", "fastcgi", "uwsgi", "scgi"})
    conf << "  " << kind << "_temp_path " << FFolder << "/tmp;\n";
  conf << "  types { text/plain txt; }\n"
       << "  server {\n    listen 127.0.0.1:" << FPort << ";\n"
       << "    root " << FFolder << "/www;\n"
       << "    location /private/ {\n      auth_basic \"Vornel\";\n"
       << "      auth_basic_user_file " << FFolder << "/htpasswd;\n    }\n  }\n}\n";
  conf.close();

  const std::string config = FFolder + "/nginx.conf";
  const std::string prefix = FFolder + "/";
  const char* argv[] = {"/usr/sbin/nginx", "-p", prefix.c_str(), "-c", config.c_str(), nullptr};
  pid_t pid = -1;
  if (posix_spawn(&pid, argv[0], nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
    return;
  for (int i = 0; i < 400; ++i) {
    if (Accepts(FPort)) {
      FPid = pid;
      return;
    }
    if (waitpid(pid, nullptr, WNOHANG) == pid)
      return;
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
}

TNginxBasicAuth::~TNginxBasicAuth() {
  if (FPid > 0) {
    kill(FPid, SIGTERM);
    waitpid(FPid, nullptr, 0);
  }
  if (!FFolder.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(FFolder, ignored);
  }
}

std::u16string TNginxBasicAuth::Url(const std::string& path) const {
  const std::string url = "http://127.0.0.1:" + std::to_string(FPort) + path;
  return std::u16string(url.begin(), url.end());
}

}  // namespace vornel::test
