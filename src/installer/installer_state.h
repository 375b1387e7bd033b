// The state that the wizard's steps and its closing share.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_stream.h"
#include "platform/process.h"

namespace vornel {

class TInstallerView;

struct TInstallerState {
  TInstallerView* MainInstallForm = nullptr;  // the one wizard window, not owned
  std::u16string IDApp;                       // identity taken from the executable's file name
  std::u16string CurrentDir;                  // folder of the executable, with a trailing delimiter
  std::u16string CilDataFile;                 // full path of the downloaded installation set
  std::u16string ZIP_FileName;                // file name of the installation set
  std::u16string InstallDir;                  // unpack folder, no trailing delimiter
  std::u16string BackupDir;                   // folder picked for keeping the unpacked set
  std::unique_ptr<TFileStream> DataFileStream;  // receives the body while downloading
  std::int32_t BytesToTransfer = 0;
  double ABSize = 0.0;              // announced transfer size in megabytes
  double ABSTime = 0.0;             // local date-time at which the body began
  double AverageSpeed = 0.0;        // megabytes per second
  std::uint32_t ExitCodeSetup = 0;  // STILL_ACTIVE while the set's program runs
  bool DownloadActive = false;
  bool DownloadAborted = false;
  bool UnZipperActive = false;
  // The last unpacking failed: the download is kept for another try, and what it
  // wrote is removed at close.
  bool UnpackFailed = false;
  std::vector<std::u16string> UnpackedFiles;  // files a failed unpacking left behind
};

// The one instance of the process.
TInstallerState& InstallerState();

// A running step: the download, the unpacking, or the set's program.
inline bool IsBusy(const TInstallerState& state) {
  return state.ExitCodeSetup == STILL_ACTIVE || state.DownloadActive || state.UnZipperActive;
}

}  // namespace vornel
