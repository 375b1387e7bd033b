#include "installer/self_delete_script.h"

#include "platform/file_system.h"

namespace vornel {

TNewFile WriteSelfDeleteScript(const std::u16string& folder, std::u16string_view executablePath,
                               pid_t installerPid) {
  TNewFile file =
      TNewFile::CreateUnique(folder, SelfDeleteScriptStem, SelfDeleteScriptExtension, 0700);
  try {
    file.Write(
        SelfDeleteScriptBytes(SelfDeleteScriptText(file.Path(), executablePath, installerPid)));
  } catch (...) {
    DeleteFile(file.Path());  // a part of a script is never left behind
    throw;
  }
  return file;
}

}  // namespace vornel
