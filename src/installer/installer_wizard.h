// The logic behind the wizard window: the handlers that the window runs for its
// creation, its buttons and its close requests. Every handler hands an exception
// that leaves it to the application's default handling.
#pragma once

#include "installer/download_step.h"
#include "installer/install_step.h"
#include "installer/installer_closer.h"
#include "installer/installer_environment.h"
#include "installer/installer_state.h"
#include "installer/installer_view.h"
#include "installer/unpack_step.h"

namespace vornel {

class TInstallerWizard {
 public:
  // The view becomes the state's main window for the wizard's lifetime.
  TInstallerWizard(TInstallerState& state, TInstallerView& view, TInstallerEnvironment environment);
  ~TInstallerWizard();
  TInstallerWizard(const TInstallerWizard&) = delete;
  TInstallerWizard& operator=(const TInstallerWizard&) = delete;

  void FormCreate();
  void FormClose(TCloseAction& action);
  void B_StartK1Click();
  void B_StornoDownClick();
  void ChB_ZalohaClick();
  void B_RozbalK2Click();
  void B_InstalK3Click();
  void B_StornoClick();

  TInstallerState& State() { return FState; }
  TInstallerView& View() { return FView; }
  const TInstallerEnvironment& Environment() const { return FEnvironment; }
  TDownloadStep& DownloadStep() { return FDownloadStep; }
  TUnpackStep& UnpackStep() { return FUnpackStep; }

 private:
  TInstallerState& FState;
  TInstallerView& FView;
  TInstallerEnvironment FEnvironment;
  TDownloadStep FDownloadStep;
  TUnpackStep FUnpackStep;
  TInstallStep FInstallStep;
  TInstallerCloser FCloser;
};

}  // namespace vornel
