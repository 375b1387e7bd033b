#include "installer/installer_closer.h"

#include <algorithm>
#include <optional>

#include "installer/exception_handling.h"
#include "installer/product_table.h"
#include "installer/self_delete_script.h"
#include "platform/file_system.h"
#include "platform/temp_folder.h"

namespace vornel {

std::vector<std::u16string> KnownSetFiles(const std::u16string& installDir) {
  if (installDir.empty())
    return {};
  std::vector<std::u16string> files;
  for (const char16_t* name : {u"Setup.exe", u"Setup-1.bin", u"Setup-2.bin", u"Setup-3.bin",
                               u"Setup-4.bin", u"Ctimne.txt", u"Aktual.txt"}) {
    files.push_back(installDir + PathDelimiter + name);
  }
  return files;
}

void TInstallerCloser::FormClose(TCloseAction& action) {
  if (IsBusy(FState)) {
    FView.SetWindowState(wsMinimized);
    action = caNone;
    return;
  }
  if (FState.UnpackFailed)
    RemoveFailedUnpacking();
  if (FState.ExitCodeSetup == 2 || !FView.BackupChecked())
    RemoveUnpackedSet();
  if (FState.DownloadAborted)
    DeleteFile(FState.CilDataFile);
  RemoveFreshTempFolder();
  // A script that cannot be written is reported once; the window closes anyway, so
  // the installer can always be ended.
  std::optional<TNewFile> script;
  try {
    script = SelfDelete();
  } catch (...) {
    HandleException(FView);
  }
  // The folder may be shared: a link or another user's file of the name stays.
  if (const auto oldInstaller = OldInstallerFileOf(FState.IDApp)) {
    DeleteOwnFile(FState.CurrentDir + *oldInstaller);
  }
  if (script && FEnvironment.StartScript)
    FEnvironment.StartScript(script->Descriptor(), script->Path());
}

TNewFile TInstallerCloser::SelfDelete() {
  return WriteSelfDeleteScript(FState.CurrentDir, FEnvironment.ExecutablePath,
                               FEnvironment.ProcessId);
}

void TInstallerCloser::RemoveFreshTempFolder() {
  if (FState.CilDataFile.empty())
    return;
  const std::u16string folder = ExtractFilePath(FState.CilDataFile);
  if (IsOwnFreshTempFolder(folder))
    RemoveDir(folder);
}

void TInstallerCloser::RemoveFailedUnpacking() {
  DeleteFile(FState.CilDataFile);
  // Deepest first, so that emptied folders below the unpack folder go too.
  std::vector<std::u16string> files = FState.UnpackedFiles;
  std::sort(files.begin(), files.end(),
            [](const auto& a, const auto& b) { return a.size() > b.size(); });
  const std::u16string root = IncludeTrailingPathDelimiter(FState.InstallDir);
  for (const std::u16string& file : files) {
    DeleteFile(file);
    for (std::u16string folder = ExcludeTrailingPathDelimiter(ExtractFilePath(file));
         folder.size() > root.size() && folder.compare(0, root.size(), root) == 0;
         folder = ExcludeTrailingPathDelimiter(ExtractFilePath(folder))) {
      if (!RemoveDir(folder))
        break;
    }
  }
  RemoveDir(FState.InstallDir);
}

void TInstallerCloser::RemoveUnpackedSet() {
  if (FState.InstallDir.empty())
    return;
  for (const std::u16string& file : KnownSetFiles(FState.InstallDir))
    DeleteFile(file);
  RemoveDir(FState.InstallDir);
}

}  // namespace vornel
