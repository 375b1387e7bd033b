// nginx on loopback for tests: started with a configuration of its own in a
// temporary folder, serving the files the test puts under Root(), stopped when
// the object goes. With TLS, the project's test CA (tools/demo_server/make_test_ca)
// is made once per process, and nginx serves one of its certificates: by default
// the leaf for localhost and 127.0.0.1 with its intermediate CA.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/peer_process.h"
#include "support/peer_side.h"

namespace vornel::test {

// A folder below Root() that nginx guards with auth_basic for one user.
struct TNginxBasicAuth {
  std::string Location;  // "/private/"
  std::string User;
  std::string Password;
};

class TNginxServer {
 public:
  // certificate: the test CA's variant nginx sends ("server", "leaf-only",
  // "two-intermediates", "expired", "other-name", "self-signed").
  explicit TNginxServer(bool withTLS = false,
                        const std::optional<TNginxBasicAuth>& basicAuth = std::nullopt,
                        const std::string& certificate = "server");
  ~TNginxServer();
  TNginxServer(const TNginxServer&) = delete;
  TNginxServer& operator=(const TNginxServer&) = delete;

  // True when nginx (and, for basic authentication, openssl) is installed and
  // nginx answered; tests skip otherwise.
  bool Running() const { return FProcess != nullptr; }
  // The files it serves and its own folder, as this process opens them.
  const std::string& Root() const { return FRoot; }
  const std::string& Folder() const { return FFolder->Local(); }
  // The root of the test CA (with TLS), as this process opens it.
  const std::string& CAFile() const { return FCAFile; }
  // The root of a second test CA that signed nothing nginx sends.
  static std::string StrangerCAFile();
  std::uint16_t Port() const { return FPort; }
  std::uint16_t TLSPort() const { return FTLSPort; }
  std::u16string Url(const std::string& path) const;
  std::u16string TLSUrl(const std::string& path) const;
  // The access log's lines: "<connection serial> <request line> <status>".
  // nginx writes a line after the response has gone out, so this waits (up to
  // two seconds) until at least `lines` lines are there.
  std::vector<std::string> AccessLog(std::size_t lines = 0) const;

  // Writes a file below Root() (folders made as needed).
  void WriteFile(const std::string& relativePath, const std::string& content) const;

 private:
  std::unique_ptr<TPeerFolder> FFolder;
  std::string FRoot;
  std::string FCAFile;
  std::uint16_t FPort = 0;
  std::uint16_t FTLSPort = 0;
  std::unique_ptr<TPeerProcess> FProcess;
};

}  // namespace vornel::test
