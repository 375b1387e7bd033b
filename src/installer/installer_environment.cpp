#include "installer/installer_environment.h"

#include "platform/process.h"
#include "platform/temp_folder.h"

namespace vornel {

TInstallerEnvironment TInstallerEnvironment::OfThisProcess() {
  TInstallerEnvironment environment;
  environment.ExecutablePath = vornel::ExecutablePath();
  environment.ProcessId = CurrentProcessId();
  environment.StartScript = [](int scriptFd, const std::u16string&) {
    return StartDetachedScript(scriptFd);
  };
  return environment;
}

}  // namespace vornel
