#include <chrono>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "installer/installer_wizard.h"
#include "installer/support/recording_view.h"
#include "platform/file_system.h"
#include "platform/text.h"
#include "scratch_folder.h"

namespace vornel {
namespace {

using testing::Exists;
using testing::TScratchFolder;

// The wizard on a recording view, with a set's folder whose Setup.exe the test writes.
class InstallStepTest : public ::testing::Test {
 protected:
  InstallStepTest() : wizard(state, view, Environment()) {
    view.OnClose = [this](TCloseAction& action) { wizard.FormClose(action); };
    state.CurrentDir = installer.Dir();
    state.IDApp = u"INSTALLTARVO";
    state.InstallDir = ExcludeTrailingPathDelimiter(set.Dir());
    view.ShowPage(TS_Step3);
  }

  TInstallerEnvironment Environment() {
    TInstallerEnvironment environment;
    environment.ExecutablePath = installer.Dir() + u"InstallTarvo";
    environment.ProcessId = 0;
    environment.StartScript = [this](int, const std::u16string&) {
      ++scriptsStarted;
      return true;
    };
    return environment;
  }

  // A Setup.exe that runs the shell commands.
  void WriteSetup(const std::string& commands, bool executable = true) {
    set.Write("Setup.exe", "#!/bin/sh\n" + commands + "\n", executable);
  }

  std::string Caption() { return ToUtf8(view.ButtonCaption(TControl::B_InstalK3)); }

  void ExpectReadyAgain() {
    EXPECT_TRUE(view.Enabled(TControl::B_InstalK3));
    EXPECT_EQ(view.WindowState(), wsNormal);
  }

  TScratchFolder installer;
  TScratchFolder set{"Tarvo2021_2021K1"};
  TInstallerState state;
  TRecordingView view;
  TInstallerWizard wizard;
  int scriptsStarted = 0;
};

struct TOutcomeCase {
  const char* Name;
  std::string Commands;  // empty: no Setup.exe at all
  bool Executable;
  bool Success;
  bool LaunchFails;
  std::uint32_t ExitCode;  // ExitCodeSetup afterwards
};

class InstallOutcomeTest : public InstallStepTest,
                           public ::testing::WithParamInterface<TOutcomeCase> {};

TEST_P(InstallOutcomeTest, ShowsTheOutcome) {
  const TOutcomeCase& c = GetParam();
  if (!c.Commands.empty())
    WriteSetup(c.Commands, c.Executable);
  state.ExitCodeSetup = 0;

  wizard.B_InstalK3Click();

  EXPECT_EQ(state.ExitCodeSetup, c.ExitCode);
  EXPECT_EQ(view.Visible(TControl::HTMText_InfoSetup_OK), c.Success);
  EXPECT_EQ(view.Visible(TControl::HTMText_InfoSetup_NoOK), !c.Success);
  EXPECT_EQ(view.Visible(TControl::B_Storno), !c.Success);
  EXPECT_EQ(Caption(), c.Success ? "Dokončit" : "Instalovat");
  ASSERT_EQ(view.MessageBoxes().size(), c.LaunchFails ? 1u : 0u);
  if (c.LaunchFails) {
    EXPECT_EQ(ToUtf8(view.MessageBoxes()[0]), "Error start Setup.exe!");
  }
  EXPECT_TRUE(view.ErrorBoxes().empty());
  ExpectReadyAgain();
  // Disabled and minimised before the program starts.
  ASSERT_GE(view.Log().size(), 3u);
  EXPECT_EQ(view.Log()[1], "SetEnabled B_InstalK3 0");
  EXPECT_EQ(view.Log()[2], "SetWindowState Minimized");
  EXPECT_EQ(view.Page(), TS_Step3);
}

INSTANTIATE_TEST_SUITE_P(
    Setups, InstallOutcomeTest,
    ::testing::Values(TOutcomeCase{"exit0", "exit 0", true, true, false, 0},
                      TOutcomeCase{"exit1", "exit 1", true, false, false, 1},
                      TOutcomeCase{"exit2", "exit 2", true, false, false, 2},
                      TOutcomeCase{"killed", "kill -9 $$", true, false, false, 137},
                      TOutcomeCase{"missing", "", true, false, true, 0},
                      TOutcomeCase{"notExecutable", "exit 0", false, false, true, 0}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(InstallStepTest, ProgramRunsByItsFullPathWithoutArguments) {
  const std::string out = (installer.Path() / "args").string();
  WriteSetup("printf '%s|%s' \"$0\" \"$#\" > '" + out + "'");
  wizard.B_InstalK3Click();
  std::ifstream in(out);
  std::string seen((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(seen, (set.Path() / "Setup.exe").string() + "|0");
}

TEST_F(InstallStepTest, FailureThenSuccessLeavesBothLabelsVisible) {
  WriteSetup("exit 1");
  wizard.B_InstalK3Click();
  EXPECT_EQ(Caption(), "Instalovat");
  EXPECT_TRUE(view.Visible(TControl::B_Storno));

  WriteSetup("exit 0");
  wizard.B_InstalK3Click();
  EXPECT_EQ(Caption(), "Dokončit");
  EXPECT_TRUE(view.Visible(TControl::HTMText_InfoSetup_NoOK));
  EXPECT_TRUE(view.Visible(TControl::HTMText_InfoSetup_OK));
  EXPECT_FALSE(view.Visible(TControl::B_Storno));
  ExpectReadyAgain();
}

TEST_F(InstallStepTest, FinishAsksToCloseWithoutRunningTheProgramAgain) {
  const std::string marker = (installer.Path() / "ran").string();
  WriteSetup("echo >> '" + marker + "'");
  wizard.B_InstalK3Click();
  ASSERT_EQ(Caption(), "Dokončit");
  std::filesystem::remove(marker);

  wizard.B_InstalK3Click();

  EXPECT_FALSE(Exists(marker));
  EXPECT_EQ(view.CloseRequests(), 1);
  EXPECT_TRUE(view.Closed());
  EXPECT_EQ(scriptsStarted, 1);
}

TEST_F(InstallStepTest, StornoAfterFailureCloses) {
  WriteSetup("exit 1");
  wizard.B_InstalK3Click();
  wizard.B_StornoClick();
  EXPECT_TRUE(view.Closed());
  // Exit code 1 with the box not ticked: the set's files are gone.
  EXPECT_FALSE(Exists(set.Path() / "Setup.exe"));
}

TEST_F(InstallStepTest, CloseRequestsWhileTheProgramRunsAreRefused) {
  const std::string gate = (installer.Path() / "gate").string();
  // The program runs until the test has tried to close twice.
  WriteSetup("n=0; while [ ! -e '" + gate +
             "' ] && [ $n -lt 1000 ]; do sleep 0.01; n=$((n+1)); done; exit 0");
  view.PumpActions.push_back([&] { view.Close(); });  // the very first pump
  view.PumpActions.push_back([&] {
    EXPECT_EQ(state.ExitCodeSetup, STILL_ACTIVE);
    view.SetWindowState(wsNormal);
    view.Close();
    EXPECT_EQ(view.WindowState(), wsMinimized);
    installer.Write("gate");
  });

  wizard.B_InstalK3Click();

  EXPECT_TRUE(view.PumpActions.empty());
  EXPECT_EQ(view.CloseRequests(), 2);
  EXPECT_FALSE(view.Closed());
  EXPECT_EQ(scriptsStarted, 0);
  EXPECT_TRUE(Exists(set.Path() / "Setup.exe"));
  EXPECT_EQ(Caption(), "Dokončit");

  view.Close();  // once the program has ended
  EXPECT_TRUE(view.Closed());
}

TEST_F(InstallStepTest, WaitingSleepsBetweenPolls) {
  WriteSetup("sleep 0.3");
  const auto start = std::chrono::steady_clock::now();
  wizard.B_InstalK3Click();
  const auto elapsedMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::steady_clock::now() - start)
                             .count();
  ASSERT_EQ(state.ExitCodeSetup, 0u);
  // Every round but the last sleeps, so the rounds are bounded by the time taken.
  EXPECT_GE(view.PumpCount(), 2);
  EXPECT_LE(view.PumpCount(), elapsedMs / TInstallStep::PollIntervalMs + 1);
}

}  // namespace
}  // namespace vornel
