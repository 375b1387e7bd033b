// Page 0: downloads the product's set into the user's private temporary folder, with
// the status line, the bar and the taskbar following the transfer, and a cancel.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "installer/download_client.h"
#include "installer/installer_state.h"
#include "installer/installer_view.h"

namespace vornel {

class TDownloadStep {
 public:
  TDownloadStep(TInstallerState& state, TInstallerView& view);
  ~TDownloadStep();
  TDownloadStep(const TDownloadStep&) = delete;
  TDownloadStep& operator=(const TDownloadStep&) = delete;

  // NetHTTP_InstallSet (the HTTPS client unless replaced); the step connects its
  // work events to the handlers below.
  void SetClient(std::unique_ptr<TDownloadClient> client);
  TDownloadClient* Client() { return FClient.get(); }

  // The user's decimal separator, for the size and the speed of the status line.
  char16_t DecimalSeparator() const { return FDecimalSeparator; }
  void SetDecimalSeparator(char16_t separator) { FDecimalSeparator = separator; }

  // The local date-time; tests put a fake clock here.
  std::function<double()> Clock;
  // The user's temporary folder, ending with a delimiter; empty when unavailable.
  std::function<std::u16string()> TempFolder;
  // The host of the download addresses: the publisher's, or a test server's
  // ("localhost:8443").
  std::u16string Host;

  // "Start": the whole download, inside the click.
  void B_StartK1Click();
  // "Storno" of page 0: closes the connection and marks the download cancelled.
  void B_StornoDownClick();

  void NetHTTP_InstallSetWorkBegin(TWorkMode workMode, std::int64_t workCountMax);
  void NetHTTP_InstallSetWork(TWorkMode workMode, std::int64_t workCount);
  void NetHTTP_InstallSetWorkEnd(TWorkMode workMode);

 private:
  // The address of the identity's row, with ZIP_FileName and CilDataFile set.
  std::u16string PrepareTarget();
  void Download(const std::u16string& address);
  // Back to idle on page 0: after the GET returned, a cancel, or a failure.
  void ReturnToIdle();
  // The page's bar at 0 and the taskbar button without progress.
  void ClearProgress();

  TInstallerState& FState;
  TInstallerView& FView;
  std::unique_ptr<TDownloadClient> FClient;
  std::u16string FTempFolder;  // the run's, while it stays the user's own folder
  char16_t FDecimalSeparator = u'.';
};

}  // namespace vornel
