// Another user of the machine, for tests of what someone else may have prepared:
// shell commands run as the user nobody through setpriv. Only root can do that.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <string>

namespace vornel::testing {

inline constexpr unsigned OtherUserId = 65534;  // nobody, and its group nogroup

// True when commands can run as the other user here.
inline bool CanActAsOtherUser() {
  return ::geteuid() == 0 && std::system("command -v setpriv > /dev/null 2>&1") == 0;
}

// Runs command with /bin/sh as the other user; true when it exits with 0.
inline bool RunAsOtherUser(const std::string& command) {
  std::string quoted = "'";
  for (char c : command)
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  quoted += "'";
  const std::string id = std::to_string(OtherUserId);
  return std::system(
             ("setpriv --reuid=" + id + " --regid=" + id + " --clear-groups /bin/sh -c " + quoted)
                 .c_str()) == 0;
}

}  // namespace vornel::testing
