// The project's test CA (tools/demo_server/make_test_ca), made by the test in a
// temporary folder removed with the object. Cert("server") is the leaf for
// localhost and 127.0.0.1 with its intermediate CA, as servers send it; the
// variants are "leaf-only", "two-intermediates", "expired", "other-name" and
// "self-signed". Each object is a CA of its own.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>

namespace vornel::test {

class TTestPki {
 public:
  // name tells the CAs of one test apart; each object makes its own.
  explicit TTestPki(const std::string& name = "trusted") {
    char pattern[] = "/tmp/vornel-tls-pki-XXXXXX";
    if (!::mkdtemp(pattern))
      throw std::runtime_error("mkdtemp");
    FParent = pattern;
    FDir = FParent + "/" + name;
    const std::string command =
        "'" VORNEL_SOURCE_DIR "/tools/demo_server/make_test_ca' '" + FDir + "' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0)
      throw std::runtime_error("make_test_ca failed");
  }
  ~TTestPki() {
    std::error_code ignored;
    std::filesystem::remove_all(FParent, ignored);
  }
  TTestPki(const TTestPki&) = delete;
  TTestPki& operator=(const TTestPki&) = delete;

  // As the peers open them.
  std::string Cert(const std::string& name) const { return FDir + "/" + name + ".pem"; }
  std::string Key(const std::string& name) const { return FDir + "/" + name + ".key"; }
  // The root, as this process opens it.
  std::string CA() const { return FDir + "/ca.pem"; }

 private:
  std::string FParent, FDir;
};

}  // namespace vornel::test
