// The project's test CA (tools/demo_server/make_test_ca), made on the building
// system by the CTest fixture linux_peers before the tests run, one folder per
// name ("trusted", "stranger", "root-store"), removed by its cleanup.
// Cert("server") is the leaf for localhost and 127.0.0.1 with its intermediate
// CA, as servers send it; the variants are "leaf-only", "two-intermediates",
// "expired", "other-name" and "self-signed".
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

#include "support/peer_side.h"

namespace vornel::test {

class TTestPki {
 public:
  explicit TTestPki(const std::string& name = "trusted") : FDir(PeersFolder() + "/pki/" + name) {
    if (!std::filesystem::exists(CA()))
      throw std::runtime_error("no test CA " + name + " in " + FDir);
  }
  TTestPki(const TTestPki&) = delete;
  TTestPki& operator=(const TTestPki&) = delete;

  // As the peers open them.
  std::string Cert(const std::string& name) const { return FDir + "/" + name + ".pem"; }
  std::string Key(const std::string& name) const { return FDir + "/" + name + ".key"; }
  // The root, as this process opens it.
  std::string CA() const { return LocalPath(FDir + "/ca.pem"); }

 private:
  std::string FDir;
};

}  // namespace vornel::test
