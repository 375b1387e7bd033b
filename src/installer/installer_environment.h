// What the installer takes from the process it runs in: its executable, its
// process id, and the way the self-delete script is started.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>

namespace vornel {

struct TInstallerEnvironment {
  std::u16string ExecutablePath;
  pid_t ProcessId = 0;
  // Starts the script detached from its open file scriptFd (scriptPath names it);
  // false when it cannot be started.
  std::function<bool(int scriptFd, const std::u16string& scriptPath)> StartScript;

  // The running process, with StartDetachedScript.
  static TInstallerEnvironment OfThisProcess();
};

}  // namespace vornel
