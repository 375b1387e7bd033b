#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "installer/installer_wizard.h"
#include "installer/recording_view.h"
#include "installer/self_delete_script.h"
#include "platform/process.h"
#include "platform/text.h"
#include "scratch_folder.h"

extern char** environ;

namespace vornel {
namespace {

using testing::Exists;
using testing::TScratchFolder;

TEST(ShellQuoteTest, EveryTextBecomesOneLiteralWord) {
  EXPECT_EQ(ShellQuote(u""), u"''");
  EXPECT_EQ(ShellQuote(u"/a b/c"), u"'/a b/c'");
  EXPECT_EQ(ShellQuote(u"it's"), u"'it'\\''s'");
  EXPECT_EQ(ShellQuote(u"$HOME `id` \"x\""), u"'$HOME `id` \"x\"'");
}

TEST(SelfDeleteScriptTextTest, NamesExactlyTheInstallerAndItself) {
  const std::string text =
      ToUtf8(SelfDeleteScriptText(u"/opt/V n/", u"/opt/V n/InstallTarvo", 1234));
  EXPECT_EQ(text.rfind("#!/bin/sh\n", 0), 0u);
  EXPECT_NE(text.find("pid=1234\n"), std::string::npos);
  EXPECT_NE(text.find("rm -f -- '/opt/V n/InstallTarvo'\n"
                      "rm -f -- '/opt/V n/SelfDelete.sh'\n"),
            std::string::npos);
  EXPECT_EQ(text.find(".so"), std::string::npos);  // libraries beside it are not its own
  EXPECT_EQ(text.find("\r"), std::string::npos);
  EXPECT_EQ(text.find("-r"), std::string::npos);
  EXPECT_EQ(text.find("kill"), text.find("kill -0 \"$pid\""));  // by id, never by name
}

TEST(SelfDeleteScriptTextTest, WithoutAProcessIdNothingIsEnded) {
  for (pid_t pid : {0, -1}) {
    const std::string text = ToUtf8(SelfDeleteScriptText(u"/d/", u"/d/InstallTarvo", pid));
    EXPECT_EQ(text.find("kill"), std::string::npos) << pid;
    EXPECT_NE(text.find("rm -f -- '/d/InstallTarvo'"), std::string::npos);
  }
}

// Starts program with arguments; returns its process id.
pid_t Spawn(const std::filesystem::path& program, const std::string& argument) {
  std::string path = program.string();
  std::string arg = argument;
  char* argv[] = {path.data(), arg.data(), nullptr};
  pid_t pid = -1;
  EXPECT_EQ(::posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv, environ), 0);
  return pid;
}

// The status of a child, reaped as soon as it ends (so its id is free at once).
std::future<int> Reaper(pid_t pid) {
  return std::async(std::launch::async, [pid] {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
  });
}

// An installer's folder with a name no shell may interpret, the installer (a copy of
// sleep standing in for it) and libraries beside it, and a subfolder with files of the same
// names, one of them running as well.
class SelfDeleteRunTest : public ::testing::Test {
 protected:
  SelfDeleteRunTest() {
    std::filesystem::copy_file("/bin/sleep", Installer());
    folder.Write("libcrypto.so.3");
    folder.Write("libssl.so.3");
    folder.Write("Ctimne.txt");
    std::filesystem::create_directory(folder.Path() / "sub");
    std::filesystem::copy_file("/bin/sleep", folder.Path() / "sub" / "InstallTarvo");
    folder.Write("sub/libssl.so.3");
    folder.Write("sub/SelfDelete.sh");
  }

  ~SelfDeleteRunTest() override {
    if (namesake > 0)
      ::kill(namesake, SIGKILL);
    if (namesakeStatus.valid())
      namesakeStatus.wait();
    if (installerStatus.valid())
      installerStatus.wait();
  }

  std::filesystem::path Installer() const { return folder.Path() / "InstallTarvo"; }

  // Closes a wizard whose installer process is pid; the real script is started.
  void CloseWith(pid_t pid) {
    TInstallerState state;
    TRecordingView view;
    TInstallerEnvironment environment;
    environment.ExecutablePath = FromUtf8(Installer().string());
    environment.ProcessId = pid;
    environment.StartScript = StartDetachedScript;
    TInstallerWizard wizard(state, view, environment);
    wizard.FormCreate();
    TCloseAction action = caFree;
    wizard.FormClose(action);
    ASSERT_EQ(action, caFree);
    ASSERT_TRUE(view.ErrorBoxes().empty());
  }

  // True once the script has deleted itself, its last deed.
  bool WaitForScript() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (Exists(folder.Path() / "SelfDelete.sh")) {
      if (std::chrono::steady_clock::now() > deadline)
        return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
  }

  void ExpectExactlyTheNamedFilesDeleted() {
    EXPECT_FALSE(Exists(Installer()));
    EXPECT_FALSE(Exists(folder.Path() / "SelfDelete.sh"));
    EXPECT_TRUE(Exists(folder.Path() / "libcrypto.so.3"));
    EXPECT_TRUE(Exists(folder.Path() / "libssl.so.3"));
    EXPECT_TRUE(Exists(folder.Path() / "Ctimne.txt"));
    EXPECT_TRUE(Exists(folder.Path() / "sub" / "InstallTarvo"));
    EXPECT_TRUE(Exists(folder.Path() / "sub" / "libssl.so.3"));
    EXPECT_TRUE(Exists(folder.Path() / "sub" / "SelfDelete.sh"));
    // Nothing of the folder's name was run as a command.
    EXPECT_FALSE(Exists(std::filesystem::current_path() / "pwned"));
    EXPECT_FALSE(Exists(std::filesystem::current_path() / "pwned2"));
  }

  TScratchFolder folder{"Vornel 'a' \"b\" $HOME `touch pwned` $(touch pwned2) x"};
  pid_t namesake = -1;
  std::future<int> namesakeStatus;
  std::future<int> installerStatus;
};

TEST_F(SelfDeleteRunTest, InstallerStillRunningIsEndedByItsIdAlone) {
  const pid_t installer = Spawn(Installer(), "60");
  installerStatus = Reaper(installer);
  namesake = Spawn(folder.Path() / "sub" / "InstallTarvo", "60");
  namesakeStatus = Reaper(namesake);

  CloseWith(installer);
  ASSERT_TRUE(WaitForScript());

  const int status = installerStatus.get();
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
  EXPECT_EQ(namesakeStatus.wait_for(std::chrono::milliseconds(0)), std::future_status::timeout);
  ExpectExactlyTheNamedFilesDeleted();
}

TEST_F(SelfDeleteRunTest, InstallerEndingByItselfIsAwaitedNotEnded) {
  const pid_t installer = Spawn(Installer(), "0.3");
  installerStatus = Reaper(installer);

  CloseWith(installer);
  ASSERT_TRUE(WaitForScript());

  const int status = installerStatus.get();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  ExpectExactlyTheNamedFilesDeleted();
}

}  // namespace
}  // namespace vornel
