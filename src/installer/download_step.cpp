#include "installer/download_step.h"

#include <utility>

#include "installer/download_progress.h"
#include "installer/exception_handling.h"
#include "installer/https_download_client.h"
#include "installer/product_table.h"
#include "platform/clock.h"
#include "platform/file_stream.h"
#include "platform/file_system.h"
#include "platform/owned_files.h"
#include "platform/temp_folder.h"
#include "transport/anti_freeze.h"

namespace vornel {

namespace {

// While the GET runs, every wait of the transport (the connect, the TLS handshake,
// a quiet server) pumps the window's messages, so that "Storno" and repaints work.
class TPumpingIdleHook : public TNetAntiFreezeBase {
 public:
  explicit TPumpingIdleHook(TInstallerView& view) : FView(view) {}
  void Process() override { FView.PumpMessages(); }

 private:
  TInstallerView& FView;
};

}  // namespace

TDownloadStep::TDownloadStep(TInstallerState& state, TInstallerView& view)
    : Clock(&Now), TempFolder(&UserTempFolder), Host(PublisherHost()), FState(state), FView(view) {
  SetClient(std::make_unique<THttpsDownloadClient>());
}

TDownloadStep::~TDownloadStep() = default;

void TDownloadStep::SetClient(std::unique_ptr<TDownloadClient> client) {
  FClient = std::move(client);
  if (!FClient)
    return;
  FClient->OnWorkBegin = [this](TWorkMode mode, std::int64_t maximum) {
    NetHTTP_InstallSetWorkBegin(mode, maximum);
  };
  FClient->OnWork = [this](TWorkMode mode, std::int64_t count) {
    NetHTTP_InstallSetWork(mode, count);
  };
  FClient->OnWorkEnd = [this](TWorkMode mode) { NetHTTP_InstallSetWorkEnd(mode); };
}

void TDownloadStep::B_StartK1Click() {
  // "Start" is disabled while a download runs; a click queued before that is ignored.
  if (FState.DownloadActive)
    return;
  FState.DownloadActive = true;
  FState.DownloadAborted = false;
  FView.SetEnabled(TControl::B_StartK1, false);
  FView.SetBusyCursor(true);
  FView.SetVisible(TControl::HTMText_InfoDown, true);
  // "Storno" is there from the click on, so that the connect and the handshake can
  // be cancelled too.
  FView.SetVisible(TControl::B_StornoDown, true);
  try {
    const std::u16string address = PrepareTarget();
    FView.SetVisible(TControl::ArPB_Down, true);
    Download(address);
  } catch (...) {
    // A cancel ends the GET in whatever way the connection's state gives (during the
    // connect, the handshake or a chunked body by an exception): it stays a cancel.
    if (!FState.DownloadAborted)
      HandleException(FView);
    ReturnToIdle();
    return;
  }
  ReturnToIdle();
  if (!FState.DownloadAborted)
    FView.ShowPage(TS_Step2);
}

std::u16string TDownloadStep::PrepareTarget() {
  // Kept for the run while it is still the user's own: a folder made fresh for the
  // run is where a cancelled part lies for the next start to replace and the close
  // to remove.
  if (FTempFolder.empty() ||
      CheckOwnFolder(ExcludeTrailingPathDelimiter(FTempFolder), 0077) != TFolderTrust::Own) {
    FTempFolder = TempFolder();
  }
  const std::u16string tempFolder = FTempFolder;
  std::u16string address;
  FState.CilDataFile = tempFolder;
  if (const TProduct* product = FindProduct(FState.IDApp)) {
    address = u"https://" + Host + std::u16string(product->DownloadPath);
    FState.ZIP_FileName = SetFileNameFromAddress(address);
    FState.CilDataFile += FState.ZIP_FileName;
  }
  // Without a private temporary folder the path would be relative to whatever
  // folder the process runs in.
  if (tempFolder.empty())
    throw EFCreateError(u"Cannot create file \"" + FState.CilDataFile +
                        u"\". The temporary folder is not available.");
  return address;
}

void TDownloadStep::Download(const std::u16string& address) {
  FState.DataFileStream = std::make_unique<TFileStream>(FState.CilDataFile, fmCreate);
  try {
    if (!FClient)
      throw Exception(u"No HTTP client.");
    const TPumpingIdleHook idleHook(FView);
    FClient->Get(address, *FState.DataFileStream);
  } catch (...) {
    FState.DataFileStream.reset();
    // A failed download leaves nothing half-written behind; a cancel keeps the part,
    // which the next start replaces and the close removes.
    if (!FState.DownloadAborted)
      DeleteFile(FState.CilDataFile);
    throw;
  }
  FState.DataFileStream.reset();
}

void TDownloadStep::ReturnToIdle() {
  FView.SetVisible(TControl::HTMText_InfoDown, false);
  FView.SetVisible(TControl::B_StornoDown, false);
  FView.SetVisible(TControl::ArPB_Down, false);
  FView.SetBusyCursor(false);
  // A failure before or inside the body leaves the bar and the taskbar clean.
  ClearProgress();
  FState.DownloadActive = false;
  FView.SetEnabled(TControl::B_StartK1, true);
}

void TDownloadStep::B_StornoDownClick() {
  if (FClient)
    FClient->Disconnect();
  FState.DownloadAborted = true;
}

void TDownloadStep::NetHTTP_InstallSetWorkBegin(TWorkMode, std::int64_t workCountMax) {
  FView.SetLabelText(TControl::HTMText_InfoDown, BeginStatusText(FState.ZIP_FileName));
  FView.SetVisible(TControl::B_StornoDown, true);
  FView.PumpMessages();
  FState.ABSTime = Clock();
  FState.ABSize = MegabytesOf(workCountMax);
  const std::int32_t maximum = workCountMax > 0
                                   ? static_cast<std::int32_t>(KilobytesOf(workCountMax))
                                   : FState.BytesToTransfer;
  FView.SetProgressMax(TControl::ArPB_Down, maximum);
  TTaskbar& taskbar = FView.Taskbar();
  taskbar.SetProgressState(tbpsNormal);
  taskbar.SetProgressMaxValue(maximum);
  FState.AverageSpeed = 0;
}

void TDownloadStep::NetHTTP_InstallSetWork(TWorkMode workMode, std::int64_t workCount) {
  const std::int64_t kb = KilobytesOf(workCount);
  const double elapsed = ElapsedSeconds(FState.ABSTime, Clock());
  FState.AverageSpeed = AverageSpeedOf(kb, elapsed, FState.AverageSpeed);
  if (workMode == wmRead) {
    FView.SetLabelText(
        TControl::HTMText_InfoDown,
        TransferStatusText(FState.ZIP_FileName, FState.ABSize, FState.AverageSpeed,
                           FView.ProgressMax(TControl::ArPB_Down), kb, FDecimalSeparator));
  }
  FView.SetProgressPosition(TControl::ArPB_Down, static_cast<std::int32_t>(kb));
  TTaskbar& taskbar = FView.Taskbar();
  taskbar.SetProgressValue(kb);
  taskbar.SetToolTip(u"Probíhá stahování ...");
  FView.PumpMessages();
}

void TDownloadStep::NetHTTP_InstallSetWorkEnd(TWorkMode) {
  FState.BytesToTransfer = 0;
  FView.SetLabelText(TControl::HTMText_InfoDown, EndStatusText(FState.ZIP_FileName));
  FState.AverageSpeed = 0;
  ClearProgress();
}

void TDownloadStep::ClearProgress() {
  FView.SetProgressPosition(TControl::ArPB_Down, 0);
  TTaskbar& taskbar = FView.Taskbar();
  taskbar.SetProgressState(tbpsNone);
  taskbar.SetProgressValue(0);
  taskbar.SetProgressMaxValue(0);
  taskbar.SetToolTip(u"");
}

}  // namespace vornel
