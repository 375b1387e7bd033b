// The self-delete script of Windows: its text, and a real run by the command
// interpreter in a folder whose name holds what the interpreter would otherwise
// take as its own syntax.
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "installer/install_step.h"
#include "installer/installer_closer.h"
#include "installer/self_delete_script.h"
#include "installer/support/recording_view.h"
#include "installer/win32/batch_quote.h"
#include "platform/code_page.h"
#include "platform/process.h"
#include "platform/text.h"
#include "scratch_folder.h"
#include "stand_in.h"

#undef DeleteFile

namespace vornel {
namespace {

using testing::Exists;
using testing::StandInProgram;
using testing::TScratchFolder;
using testing::TStartedProcess;

std::size_t Count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
    ++n;
  return n;
}

TEST(BatchQuoteTest, EveryNameBecomesOneLiteralArgument) {
  struct {
    const char16_t* Name;
    const char16_t* Quoted;
  } const cases[] = {
      {u"", u"\"\""},
      {u"C:\\a b\\c.exe", u"\"C:\\a b\\c.exe\""},
      {u"C:\\%PATH%\\%1 %~f0", u"\"C:\\%%PATH%%\\%%1 %%~f0\""},
      {u"C:\\a & b ^c | d < e > f !g!", u"\"C:\\a & b ^c | d < e > f !g!\""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ToUtf8(BatchQuote(c.Name)), ToUtf8(c.Quoted)) << ToUtf8(c.Name);
  for (const char16_t* name : {u"C:\\a\"b", u"C:\\a\r\nb", u"C:\\a\nb"})
    EXPECT_THROW(BatchQuote(name), Exception) << ToUtf8(name);
}

TEST(SelfDeleteScriptTextTest, WaitsForTheIdAndDeletesExactlyTheInstallerThenItself) {
  const std::string text = ToUtf8(
      SelfDeleteScriptText(u"C:\\V n\\SelfDelete-x1Y2z3.bat", u"C:\\V n\\InstallTarvo.exe", 1234));
  EXPECT_EQ(text.rfind("@echo off\r\nsetlocal DisableDelayedExpansion\r\n", 0), 0u);
  EXPECT_EQ(Count(text, "\n"), Count(text, "\r\n")) << "CR LF line ends";
  EXPECT_NE(text.find("\"PID eq 1234\""), std::string::npos);
  EXPECT_NE(text.find("if %n% geq 3 goto force\r\n"), std::string::npos);
  EXPECT_EQ(Count(text, "taskkill"), 1u);
  EXPECT_NE(text.find("taskkill /F /PID 1234 "), std::string::npos);
  EXPECT_EQ(text.find("/IM"), std::string::npos) << "never by the program's name";
  EXPECT_EQ(Count(text, "del "), 2u);
  EXPECT_EQ(text.find("/s"), std::string::npos);
  EXPECT_EQ(text.find(".dll"), std::string::npos);
  const std::string deletions =
      "del /q \"C:\\V n\\InstallTarvo.exe\" >nul 2>nul\r\n"
      "del /q \"C:\\V n\\SelfDelete-x1Y2z3.bat\" >nul 2>nul\r\n";
  ASSERT_GE(text.size(), deletions.size());
  EXPECT_EQ(text.substr(text.size() - deletions.size()), deletions) << "the script goes last";
}

TEST(SelfDeleteScriptTextTest, WithoutAProcessIdNothingIsWaitedForOrEnded) {
  for (pid_t pid : {0, -1}) {
    const std::string text =
        ToUtf8(SelfDeleteScriptText(u"C:\\d\\s.bat", u"C:\\d\\InstallTarvo.exe", pid));
    EXPECT_EQ(text.find("taskkill"), std::string::npos) << pid;
    EXPECT_EQ(text.find("PID"), std::string::npos) << pid;
    EXPECT_NE(text.find("del /q \"C:\\d\\InstallTarvo.exe\""), std::string::npos);
  }
}

// The ANSI code page is the interpreter's; a name it cannot hold would reach del
// with "?" in it, a wildcard.
TEST(SelfDeleteScriptFileTest, InTheAnsiCodePageAndNeverWithANameItCannotHold) {
  EXPECT_EQ(SelfDeleteScriptBytes(u"@echo off\r\n"), "@echo off\r\n");
  const TBytes encoded = EncodeCodePage(AnsiCodePage(), u"\u00E9");
  if (DecodeCodePage(AnsiCodePage(), encoded) == u"\u00E9") {
    EXPECT_EQ(SelfDeleteScriptBytes(u"\u00E9"), std::string(encoded.begin(), encoded.end()));
  }

  // No ANSI code page holds both Chinese and Cyrillic letters.
  TScratchFolder folder;
  const std::u16string installer = folder.Dir() + u"Install\u4E2D\u0416.exe";
  EXPECT_THROW(SelfDeleteScriptBytes(installer), Exception);
  EXPECT_THROW(WriteSelfDeleteScript(folder.Dir(), installer, 1234), Exception);
  EXPECT_TRUE(std::filesystem::is_empty(folder.Path())) << "no part of a script is left";

  TNewFile written = WriteSelfDeleteScript(folder.Dir(), folder.Dir() + u"InstallTarvo.exe", 77);
  EXPECT_EQ(ExtractFileName(written.Path()).rfind(u"SelfDelete-", 0), 0u);
  EXPECT_EQ(ExtractFileExt(written.Path()), u".bat");
}

// The installer's folder, with the stand-in as the installer, a namesake of it in
// a subfolder (running, under another id) and a canary beside the installer.
class SelfDeleteRunTest : public ::testing::Test {
 protected:
  SelfDeleteRunTest() {
    std::filesystem::copy_file(StandInProgram(), Installer());
    std::filesystem::create_directory(folder.Path() / "sub");
    std::filesystem::copy_file(StandInProgram(), Namesake());
    canary = folder.Write("canary.txt", "the user's own file");
  }

  std::filesystem::path Installer() const { return folder.Path() / "InstallTarvo.exe"; }
  std::filesystem::path Namesake() const { return folder.Path() / "sub" / "InstallTarvo.exe"; }

  // Closes the window of an installer whose process is pid; the real script is
  // started.
  void CloseWith(DWORD pid) {
    TInstallerState state;
    TRecordingView view;
    TInstallerEnvironment environment;
    environment.ExecutablePath = folder.Dir() + u"InstallTarvo.exe";
    environment.ProcessId = static_cast<pid_t>(pid);
    environment.StartScript = [this](int fd, const std::u16string& path) {
      script = std::filesystem::path(std::wstring(path.begin(), path.end()));
      started = StartDetachedScript(fd);
      return started;
    };
    state.CurrentDir = folder.Dir();
    state.IDApp = u"INSTALLTARVO";
    TInstallerCloser closer(state, view, environment);
    TCloseAction action = caFree;
    closer.FormClose(action);
    ASSERT_EQ(action, caFree);
    ASSERT_TRUE(view.ErrorBoxes().empty()) << ToUtf8(view.ErrorBoxes().front());
    ASSERT_TRUE(started) << "the script could not be started";
  }

  // True once the script has deleted itself, its last deed.
  bool WaitForScript() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(90);
    while (script.empty() || Exists(script)) {
      if (std::chrono::steady_clock::now() > deadline) {
        for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
          ADD_FAILURE() << "left: " << entry.path();
        return false;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
  }

  void ExpectExactlyTheInstallerAndTheScriptDeleted() {
    EXPECT_FALSE(Exists(Installer()));
    EXPECT_FALSE(Exists(script));
    EXPECT_TRUE(Exists(Namesake()));
    EXPECT_TRUE(Exists(canary));
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
      EXPECT_FALSE(entry.path().filename().string().starts_with("SelfDelete-")) << entry.path();
    }
  }

  // Every character that the interpreter reads as syntax outside quotes.
  TScratchFolder folder{"Vornel a b %PATH% %1 %%e ^x & y !z! (w)"};
  std::filesystem::path canary;
  std::filesystem::path script;
  bool started = false;
};

TEST_F(SelfDeleteRunTest, InstallerStillRunningIsEndedByItsIdAlone) {
  TStartedProcess installer(Installer(), L"sleep 120000");
  TStartedProcess namesake(Namesake(), L"sleep 120000");
  ASSERT_TRUE(installer.Started() && namesake.Started());

  CloseWith(installer.Id());
  ASSERT_TRUE(WaitForScript());

  // Ended long before its two minutes (the exit code that taskkill /F leaves
  // differs between Windows and Wine).
  EXPECT_NE(installer.Wait(10000), static_cast<DWORD>(STILL_ACTIVE)) << "ended by taskkill /F";
  EXPECT_TRUE(namesake.Running());
  ExpectExactlyTheInstallerAndTheScriptDeleted();
}

TEST_F(SelfDeleteRunTest, InstallerEndingByItselfIsAwaitedNotEnded) {
  TStartedProcess installer(Installer(), L"sleep 1500");
  ASSERT_TRUE(installer.Started());

  CloseWith(installer.Id());
  ASSERT_TRUE(WaitForScript());

  EXPECT_EQ(installer.Wait(10000), 0u);
  ExpectExactlyTheInstallerAndTheScriptDeleted();
}

}  // namespace
}  // namespace vornel
