// nginx on loopback guarding one folder with auth_basic; the password file is
// made with "openssl passwd". Stopped and removed when the object goes.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>

namespace vornel::test {

class TNginxBasicAuth {
 public:
  // "/private/" needs the user and password; a file "secret.txt" lies there.
  TNginxBasicAuth(const std::string& user, const std::string& password);
  ~TNginxBasicAuth();
  TNginxBasicAuth(const TNginxBasicAuth&) = delete;
  TNginxBasicAuth& operator=(const TNginxBasicAuth&) = delete;

  // False when nginx or openssl is missing or nginx did not start; tests skip then.
  bool Running() const { return FPid > 0; }
  std::u16string Url(const std::string& path) const;

 private:
  std::string FFolder;
  std::uint16_t FPort = 0;
  pid_t FPid = -1;
};

}  // namespace vornel::test
