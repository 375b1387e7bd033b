#include "installer/install_step.h"

#include <cstdint>

#include "platform/file_system.h"
#include "platform/process.h"

namespace vornel {

namespace {

constexpr char16_t kSetupProgram[] = u"Setup.exe";
constexpr char16_t kInstallCaption[] = u"Instalovat";
constexpr char16_t kFinishCaption[] = u"Dokončit";
constexpr std::uint32_t kEndedAsStillActive = 1;

}  // namespace

void TInstallStep::B_InstalK3Click() {
  if (FView.ButtonCaption(TControl::B_InstalK3) != kInstallCaption) {
    FView.Close();
    return;
  }
  FView.SetEnabled(TControl::B_InstalK3, false);
  FView.SetWindowState(wsMinimized);
  if (RunSetup()) {
    FView.SetVisible(TControl::B_Storno, false);
    FView.SetVisible(TControl::HTMText_InfoSetup_OK, true);
    FView.SetButtonCaption(TControl::B_InstalK3, kFinishCaption);
  } else {
    // The failure text stays behind the success text once a retry succeeds.
    FView.SetVisible(TControl::HTMText_InfoSetup_NoOK, true);
    FView.SetVisible(TControl::B_Storno, true);
  }
  FView.SetEnabled(TControl::B_InstalK3, true);
  FView.SetWindowState(wsNormal);
}

bool TInstallStep::RunSetup() {
  std::unique_ptr<TChildProcess> setup =
      TChildProcess::Start(FState.InstallDir + PathDelimiter + kSetupProgram);
  if (!setup) {
    FView.MessageBox(u"Error start Setup.exe!");
    return false;
  }
  // Busy from the start, so a close request in the first pump is refused as well.
  FState.ExitCodeSetup = STILL_ACTIVE;
  for (;;) {
    FView.PumpMessages();
    const std::uint32_t code = setup->ExitCode();
    if (setup->Ended()) {
      // A program that ended with the code that means "still running" has
      // failed all the same; kept as that code, it would leave the installer
      // busy for good.
      FState.ExitCodeSetup = code == STILL_ACTIVE ? kEndedAsStillActive : code;
      break;
    }
    setup->WaitForEndOrInput(PollIntervalMs);
  }
  return FState.ExitCodeSetup == 0;
}

}  // namespace vornel
