#include <gtest/gtest.h>

#include "installer/installer_state.h"
#include "installer/installer_wizard.h"
#include "installer/support/recording_view.h"

namespace vornel {
namespace {

TEST(RecordingViewTest, StartsAsTheWindowIsBuilt) {
  TRecordingView view;
  EXPECT_EQ(view.Page(), TS_Step1);
  for (TControl hidden :
       {TControl::HTMText_InfoDown, TControl::B_StornoDown, TControl::ArPB_Down,
        TControl::HTMText_Krok2_2, TControl::HTMText_BackupFolder, TControl::ArPB_Main,
        TControl::HTMText_InfoSetup_NoOK, TControl::HTMText_InfoSetup_OK, TControl::B_Storno}) {
    EXPECT_FALSE(view.Visible(hidden)) << ControlName(hidden);
  }
  EXPECT_TRUE(view.Visible(TControl::B_InstalK3));
  EXPECT_EQ(view.ButtonCaption(TControl::B_InstalK3), u"Instalovat");
  EXPECT_EQ(view.LabelText(TControl::HTMText_InfoDown), u" ");
  EXPECT_EQ(view.ProgressMax(TControl::ArPB_Down), 100);
  EXPECT_FALSE(view.BackupChecked());
  EXPECT_EQ(view.Taskbar().ProgressState(), tbpsNone);
}

TEST(RecordingViewTest, ChangingTheTickFromCodeRunsTheClickHandler) {
  TRecordingView view;
  std::vector<bool> seen;
  view.OnBackupClick = [&] {
    seen.push_back(view.BackupChecked());
    if (view.BackupChecked())
      view.SetBackupChecked(false);  // as a cancelled picker does
  };
  view.SetBackupChecked(true);
  view.SetBackupChecked(false);  // already unticked: no click
  EXPECT_EQ(seen, (std::vector<bool>{true, false}));
}

TEST(RecordingViewTest, PumpRunsOneWaitingActionPerCall) {
  TRecordingView view;
  int runs = 0;
  view.PumpActions.push_back([&] {
    ++runs;
    view.PumpMessages();  // nested pump takes the next action
  });
  view.PumpActions.push_back([&] { runs += 10; });
  view.PumpMessages();
  view.PumpMessages();
  EXPECT_EQ(runs, 11);
  EXPECT_EQ(view.PumpCount(), 3);
}

TEST(InstallerStateTest, OneZeroedInstanceAndTheWizardsWindow) {
  TInstallerState& state = InstallerState();
  EXPECT_EQ(&state, &InstallerState());
  EXPECT_EQ(state.MainInstallForm, nullptr);
  EXPECT_EQ(state.ExitCodeSetup, 0u);
  EXPECT_FALSE(IsBusy(state));
  TRecordingView view;
  {
    TInstallerWizard wizard(state, view, {});
    EXPECT_EQ(state.MainInstallForm, &view);
  }
  EXPECT_EQ(state.MainInstallForm, nullptr);
}

}  // namespace
}  // namespace vornel
