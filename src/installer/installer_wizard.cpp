#include "installer/installer_wizard.h"

#include <utility>

#include "installer/exception_handling.h"
#include "installer/start_up.h"

namespace vornel {

TInstallerWizard::TInstallerWizard(TInstallerState& state, TInstallerView& view,
                                   TInstallerEnvironment environment)
    : FState(state),
      FView(view),
      FEnvironment(std::move(environment)),
      FDownloadStep(state, view),
      FUnpackStep(state, view),
      FInstallStep(state, view),
      FCloser(state, view, FEnvironment) {
  FState.MainInstallForm = &FView;
}

TInstallerWizard::~TInstallerWizard() {
  if (FState.MainInstallForm == &FView)
    FState.MainInstallForm = nullptr;
}

void TInstallerWizard::FormCreate() {
  RunHandler(FView, [this] { vornel::FormCreate(FState, FView, FEnvironment.ExecutablePath); });
}

void TInstallerWizard::FormClose(TCloseAction& action) {
  RunHandler(FView, [this, &action] { FCloser.FormClose(action); });
}

void TInstallerWizard::B_StartK1Click() {
  RunHandler(FView, [this] { FDownloadStep.B_StartK1Click(); });
}

void TInstallerWizard::B_StornoDownClick() {
  RunHandler(FView, [this] { FDownloadStep.B_StornoDownClick(); });
}

void TInstallerWizard::ChB_ZalohaClick() {
  RunHandler(FView, [this] { FUnpackStep.ChB_ZalohaClick(); });
}

void TInstallerWizard::B_RozbalK2Click() {
  RunHandler(FView, [this] { FUnpackStep.B_RozbalK2Click(); });
}

void TInstallerWizard::B_InstalK3Click() {
  RunHandler(FView, [this] { FInstallStep.B_InstalK3Click(); });
}

void TInstallerWizard::B_StornoClick() {
  RunHandler(FView, [this] { FInstallStep.B_StornoClick(); });
}

}  // namespace vornel
