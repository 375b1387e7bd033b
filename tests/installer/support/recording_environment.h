// The environment of a window under test: the executable by the given path, no
// process of its own to wait for, and a self-delete script that is only noted.
#pragma once

#include <string>

#include "installer/installer_environment.h"

namespace vornel::test {

inline TInstallerEnvironment RecordingEnvironment(const std::u16string& executable,
                                                  std::u16string& startedScript) {
  TInstallerEnvironment environment;
  environment.ExecutablePath = executable;
  environment.ProcessId = 0;
  environment.StartScript = [&startedScript](int, const std::u16string& script) {
    startedScript = script;
    return true;
  };
  return environment;
}

}  // namespace vornel::test
