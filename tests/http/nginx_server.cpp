#include "nginx_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace vornel::test {

namespace {

std::uint16_t FreePort() {
  const int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  bind(s, reinterpret_cast<sockaddr*>(&address), length);
  getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
  close(s);
  return ntohs(address.sin_port);
}

bool Accepts(std::uint16_t port) {
  const int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  const bool ok = connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  close(s);
  return ok;
}

int Run(const std::string& command) {
  return std::system(command.c_str());
}

std::u16string Wide(const std::string& text) {
  return std::u16string(text.begin(), text.end());
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

TNginxServer::TNginxServer(bool withTLS, const std::optional<TNginxBasicAuth>& basicAuth,
                           const std::string& certificate) {
  if (access("/usr/sbin/nginx", X_OK) != 0)
    return;
  char pattern[] = "/tmp/vornel-nginx-XXXXXX";
  if (!mkdtemp(pattern))
    return;
  FFolder = pattern;
  FRoot = FFolder + "/www";
  std::filesystem::create_directories(FRoot);
  std::filesystem::create_directories(FFolder + "/tmp");
  if (withTLS && !MakeCertificates(certificate))
    return;
  if (basicAuth) {
    const std::string hash = PasswordHash(basicAuth->Password);
    if (hash.empty())
      return;
    std::ofstream(FFolder + "/htpasswd") << basicAuth->User << ":" << hash << "\n";
  }

  FPort = FreePort();
  std::ostringstream conf;
  conf << "daemon off;\nmaster_process off;\nworker_processes 1;\n"
       << "pid " << FFolder << "/nginx.pid;\n"
       << "error_log " << FFolder << "/error.log warn;\n"
       << "events { worker_connections 64; }\n"
       << "http {\n"
       << "  log_format conn '$connection $request $status';\n"
       << "  access_log " << FFolder << "/access.log conn;\n";
  for (const char* kind : {"client_body", "proxy", "fastcgi", "uwsgi", "scgi"}) {
    conf << "  " << kind << "_temp_path " << FFolder << "/tmp;\n";
  }
  conf << "  types { text/plain txt; text/html html; application/zip zip; }\n"
       << "  default_type application/octet-stream;\n"
       << "  sendfile on;\n  keepalive_timeout 30;\n"
       << "  server {\n"
       << "    listen 127.0.0.1:" << FPort << ";\n";
  if (withTLS) {
    FTLSPort = FreePort();
    conf << "    listen 127.0.0.1:" << FTLSPort << " ssl;\n"
         << "    ssl_certificate " << FFolder << "/server.pem;\n"
         << "    ssl_certificate_key " << FFolder << "/server.key;\n";
  }
  conf << "    root " << FRoot << ";\n"
       << "    location = /old { return 301 /files/small.txt; }\n"
       << "    location = /to-plain { return 302 http://127.0.0.1:" << FPort
       << "/files/small.txt; }\n"
       << "    location /gz/ { gzip on; gzip_types text/plain; gzip_min_length 1; }\n";
  if (basicAuth) {
    conf << "    location " << basicAuth->Location << " {\n      auth_basic \"Vornel\";\n"
         << "      auth_basic_user_file " << FFolder << "/htpasswd;\n    }\n";
  }
  conf << "  }\n}\n";
  std::ofstream(FFolder + "/nginx.conf") << conf.str();

  const std::string config = FFolder + "/nginx.conf";
  const std::string prefix = FFolder + "/";
  const char* argv[] = {"/usr/sbin/nginx", "-p", prefix.c_str(), "-c", config.c_str(), nullptr};
  pid_t pid = -1;
  if (posix_spawn(&pid, argv[0], nullptr, nullptr, const_cast<char**>(argv), environ) != 0) {
    return;
  }
  for (int i = 0; i < 200; ++i) {
    if (Accepts(FPort) && (!withTLS || Accepts(FTLSPort))) {
      FPid = pid;
      return;
    }
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid)
      return;
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
}

TNginxServer::~TNginxServer() {
  if (FPid > 0) {
    kill(FPid, SIGTERM);
    waitpid(FPid, nullptr, 0);
  }
  if (!FFolder.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(FFolder, ignored);
  }
}

namespace {

// The test CA made by make_test_ca in a folder of its own, once per process: key
// generation is slow under the sanitizers.
struct TSharedPKI {
  std::string Folder;
  bool Made = false;
  explicit TSharedPKI(const char* name) {
    char pattern[] = "/tmp/vornel-pki-XXXXXX";
    if (!mkdtemp(pattern))
      return;
    Folder = std::string(pattern) + "/" + name;
    Made = Run("'" VORNEL_SOURCE_DIR "/tools/demo_server/make_test_ca' '" + Folder +
               "' >/dev/null 2>&1") == 0;
  }
  ~TSharedPKI() {
    std::error_code ignored;
    if (!Folder.empty())
      std::filesystem::remove_all(std::filesystem::path(Folder).parent_path(), ignored);
  }
};

}  // namespace

bool TNginxServer::MakeCertificates(const std::string& certificate) {
  static const TSharedPKI pki("trusted");
  if (!pki.Made)
    return false;
  std::error_code error;
  const std::pair<std::string, std::string> files[] = {{"ca.pem", "ca.pem"},
                                                       {certificate + ".pem", "server.pem"},
                                                       {certificate + ".key", "server.key"}};
  for (const auto& [from, to] : files) {
    std::filesystem::copy_file(pki.Folder + "/" + from, FFolder + "/" + to, error);
    if (error)
      return false;
  }
  return true;
}

std::string TNginxServer::StrangerCAFile() {
  static const TSharedPKI pki("stranger");
  return pki.Made ? pki.Folder + "/ca.pem" : std::string();
}

std::u16string TNginxServer::Url(const std::string& path) const {
  return Wide("http://127.0.0.1:" + std::to_string(FPort) + path);
}

std::u16string TNginxServer::TLSUrl(const std::string& path) const {
  return Wide("https://127.0.0.1:" + std::to_string(FTLSPort) + path);
}

std::vector<std::string> TNginxServer::AccessLog(std::size_t lines) const {
  std::vector<std::string> log;
  for (int i = 0; i < 80; ++i) {
    log.clear();
    std::ifstream in(FFolder + "/access.log");
    for (std::string line; std::getline(in, line);)
      log.push_back(line);
    if (log.size() >= lines)
      break;
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  return log;
}

void TNginxServer::WriteFile(const std::string& relativePath, const std::string& content) const {
  const std::filesystem::path path = std::filesystem::path(FRoot) / relativePath;
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << content;
}

}  // namespace vornel::test
