#include "installer/self_delete_script.h"

#include <utility>

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
    // A part of a script is never left behind; the file is closed first, as an
    // open file cannot be deleted on every system.
    const std::u16string path = file.Path();
    { TNewFile closed = std::move(file); }
    DeleteFile(path);
    throw;
  }
  return file;
}

}  // namespace vornel
