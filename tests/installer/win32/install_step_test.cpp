// The install step on Windows: the set's Setup.exe (the stand-in) started through
// the shell and waited for with the thread's messages in view.
#include <chrono>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "installer/install_step.h"
#include "installer/installer_closer.h"
#include "installer/installer_state.h"
#include "installer/support/recording_view.h"
#include "platform/file_system.h"
#include "platform/text.h"
#include "scratch_folder.h"
#include "stand_in.h"

#undef DeleteFile

namespace vornel {
namespace {

using testing::StandInProgram;
using testing::TScratchFolder;

class InstallStepTest : public ::testing::Test {
 protected:
  InstallStepTest() {
    state.CurrentDir = installer.Dir();
    state.IDApp = u"INSTALLTARVO";
    state.InstallDir = ExcludeTrailingPathDelimiter(set.Dir());
    view.ShowPage(TS_Step3);
  }

  // A Setup.exe that waits ms and ends with code.
  void WriteSetup(int code, unsigned ms) {
    std::filesystem::copy_file(StandInProgram(), set.Path() / "Setup.exe",
                               std::filesystem::copy_options::overwrite_existing);
    set.Write("setup-plan.txt", std::to_string(code) + " " + std::to_string(ms));
  }

  std::string Caption() { return ToUtf8(view.ButtonCaption(TControl::B_InstalK3)); }

  TScratchFolder installer;
  TScratchFolder set{"Tarvo 2021 & %x% !y!"};
  TInstallerState state;
  TRecordingView view;
  TInstallStep step{state, view};
};

TEST_F(InstallStepTest, ExitCodesDecideTheOutcomeAndARetryCanSucceed) {
  WriteSetup(1, 0);
  step.B_InstalK3Click();
  EXPECT_EQ(state.ExitCodeSetup, 1u);
  EXPECT_TRUE(view.Visible(TControl::HTMText_InfoSetup_NoOK));
  EXPECT_FALSE(view.Visible(TControl::HTMText_InfoSetup_OK));
  EXPECT_EQ(Caption(), "Instalovat");

  WriteSetup(0, 0);
  step.B_InstalK3Click();
  EXPECT_EQ(state.ExitCodeSetup, 0u);
  EXPECT_TRUE(view.Visible(TControl::HTMText_InfoSetup_OK));
  EXPECT_FALSE(view.Visible(TControl::B_Storno));
  EXPECT_EQ(Caption(), "Dokončit");
  EXPECT_TRUE(view.Enabled(TControl::B_InstalK3));
  EXPECT_EQ(view.WindowState(), wsNormal);
  EXPECT_TRUE(view.ErrorBoxes().empty());
  EXPECT_TRUE(view.MessageBoxes().empty());
}

// 259 is what GetExitCodeProcess reads while a program runs; a program that
// ends with it must still end the wait, as a failure, and leave the installer
// free to close.
TEST_F(InstallStepTest, AProgramEndingWithTheRunningCodeHasFailed) {
  WriteSetup(259, 0);
  step.B_InstalK3Click();
  EXPECT_EQ(state.ExitCodeSetup, 1u);
  EXPECT_FALSE(IsBusy(state));
  EXPECT_TRUE(view.Visible(TControl::HTMText_InfoSetup_NoOK));
  EXPECT_FALSE(view.Visible(TControl::HTMText_InfoSetup_OK));
  EXPECT_EQ(Caption(), "Instalovat");
}

TEST_F(InstallStepTest, AMissingProgramIsReported) {
  step.B_InstalK3Click();
  ASSERT_EQ(view.MessageBoxes().size(), 1u);
  EXPECT_EQ(ToUtf8(view.MessageBoxes()[0]), "Error start Setup.exe!");
  EXPECT_TRUE(view.Visible(TControl::HTMText_InfoSetup_NoOK));
  EXPECT_EQ(Caption(), "Instalovat");
}

// The wait ends as soon as the program does, and between two looks at it the
// thread waits (for the program or a message) instead of spinning.
TEST_F(InstallStepTest, WaitingPumpsMessagesWithoutSpinning) {
  WriteSetup(0, 700);
  const auto start = std::chrono::steady_clock::now();
  step.B_InstalK3Click();
  const auto elapsedMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::steady_clock::now() - start)
                             .count();
  ASSERT_EQ(state.ExitCodeSetup, 0u);
  EXPECT_GE(elapsedMs, 700);
  EXPECT_GE(view.PumpCount(), 2);
  EXPECT_LE(view.PumpCount(), elapsedMs / TInstallStep::PollIntervalMs + 1);
}

}  // namespace
}  // namespace vornel
