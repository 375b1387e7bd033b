#include "nginx_server.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "support/loopback_socket.h"
#include "support/peer_side.h"
#include "support/test_pki.h"

namespace vornel::test {

namespace {

std::uint16_t FreePort() {
  const int s = loopback::Listen();
  const std::uint16_t port = s < 0 ? 0 : loopback::LocalPort(s);
  if (s >= 0)
    loopback::Close(s);
  return port;
}

bool Accepts(std::uint16_t port) {
  const int s = loopback::Connect(port);
  if (s >= 0)
    loopback::Close(s);
  return s >= 0;
}

std::u16string Wide(const std::string& text) {
  return std::u16string(text.begin(), text.end());
}

// The hash "openssl passwd -apr1" makes of the password; empty when it fails.
std::string PasswordHash(const std::string& password) {
  TPeerProcess openssl({"openssl", "passwd", "-apr1", password});
  std::string hash = openssl.ReadLine().value_or("");
  while (!hash.empty() && (hash.back() == '\n' || hash.back() == '\r'))
    hash.pop_back();
  return hash;
}

// The test CA of nginx's certificates, made once per process: key generation is
// slow under the sanitizers.
const TTestPki& SharedPki(const char* name) {
  static const TTestPki trusted("trusted");
  static const TTestPki stranger("stranger");
  return std::string(name) == "trusted" ? trusted : stranger;
}

}  // namespace

TNginxServer::TNginxServer(bool withTLS, const std::optional<TNginxBasicAuth>& basicAuth,
                           const std::string& certificate) {
  if (!std::filesystem::exists(LocalPath("/usr/sbin/nginx")))
    return;
  FFolder = std::make_unique<TPeerFolder>("nginx");
  const std::string peer = FFolder->Peer();
  FRoot = FFolder->Local() + "/www";
  std::filesystem::create_directories(FRoot);
  std::filesystem::create_directories(FFolder->Local() + "/tmp");
  if (basicAuth) {
    const std::string hash = PasswordHash(basicAuth->Password);
    if (hash.empty())
      return;
    std::ofstream(FFolder->Local() + "/htpasswd") << basicAuth->User << ":" << hash << "\n";
  }

  FPort = FreePort();
  std::ostringstream conf;
  conf << "daemon off;\nmaster_process off;\nworker_processes 1;\n"
       << "pid " << peer << "/nginx.pid;\n"
       << "error_log " << peer << "/error.log warn;\n"
       << "events { worker_connections 64; }\n"
       << "http {\n"
       << "  log_format conn '$connection $request $status';\n"
       << "  access_log " << peer << "/access.log conn;\n";
  for (const char* kind : {"client_body", "proxy", "fastcgi", "uwsgi", "scgi"}) {
    conf << "  " << kind << "_temp_path " << peer << "/tmp;\n";
  }
  conf << "  types { text/plain txt; text/html html; application/zip zip; }\n"
       << "  default_type application/octet-stream;\n"
       << "  sendfile on;\n  keepalive_timeout 30;\n"
       << "  server {\n"
       << "    listen 127.0.0.1:" << FPort << ";\n";
  if (withTLS) {
    const TTestPki& pki = SharedPki("trusted");
    FCAFile = pki.CA();
    FTLSPort = FreePort();
    conf << "    listen 127.0.0.1:" << FTLSPort << " ssl;\n"
         << "    ssl_certificate " << pki.Cert(certificate) << ";\n"
         << "    ssl_certificate_key " << pki.Key(certificate) << ";\n";
  }
  conf << "    root " << peer << "/www;\n"
       << "    location = /old { return 301 /files/small.txt; }\n"
       << "    location = /to-plain { return 302 http://127.0.0.1:" << FPort
       << "/files/small.txt; }\n"
       << "    location /gz/ { gzip on; gzip_types text/plain; gzip_min_length 1; }\n";
  if (basicAuth) {
    conf << "    location " << basicAuth->Location << " {\n      auth_basic \"Vornel\";\n"
         << "      auth_basic_user_file " << peer << "/htpasswd;\n    }\n";
  }
  conf << "  }\n}\n";
  std::ofstream(FFolder->Local() + "/nginx.conf") << conf.str();

  auto nginx = std::make_unique<TPeerProcess>(
      std::vector<std::string>{"/usr/sbin/nginx", "-p", peer + "/", "-c", peer + "/nginx.conf"});
  for (int i = 0; i < 200; ++i) {
    if (Accepts(FPort) && (!withTLS || Accepts(FTLSPort))) {
      FProcess = std::move(nginx);
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
}

TNginxServer::~TNginxServer() {
  FProcess.reset();
  FFolder.reset();
}

std::string TNginxServer::StrangerCAFile() {
  return SharedPki("stranger").CA();
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
    std::ifstream in(FFolder->Local() + "/access.log");
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
