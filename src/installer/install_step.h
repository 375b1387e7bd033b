// Page 2: runs the unpacked set's Setup.exe, waits for it and shows the outcome.
#pragma once

#include "installer/installer_state.h"
#include "installer/installer_view.h"

namespace vornel {

class TInstallStep {
 public:
  // Longest pause between two looks at the running program, so the wait keeps no
  // core busy; input for the window ends it early.
  static constexpr unsigned PollIntervalMs = 10;

  TInstallStep(TInstallerState& state, TInstallerView& view) : FState(state), FView(view) {}

  // "Instalovat": runs the set's program; "Dokončit": asks the window to close.
  void B_InstalK3Click();
  // "Storno" after a failure: asks the window to close.
  void B_StornoClick() { FView.Close(); }

 private:
  // True when the program ran and ended with exit code 0.
  bool RunSetup();

  TInstallerState& FState;
  TInstallerView& FView;
};

}  // namespace vornel
