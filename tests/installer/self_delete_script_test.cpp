#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "installer/installer_wizard.h"
#include "installer/posix/shell_quote.h"
#include "installer/self_delete_script.h"
#include "installer/support/recording_view.h"
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
  const std::string text = ToUtf8(
      SelfDeleteScriptText(u"/opt/V n/SelfDelete-x1Y2z3.sh", u"/opt/V n/InstallTarvo", 1234));
  EXPECT_EQ(text.rfind("#!/bin/sh\n", 0), 0u);
  EXPECT_NE(text.find("pid=1234\n"), std::string::npos);
  EXPECT_NE(text.find("rm -f -- '/opt/V n/InstallTarvo'\n"
                      "rm -f -- '/opt/V n/SelfDelete-x1Y2z3.sh'\n"),
            std::string::npos);
  std::size_t deletions = 0;
  for (auto at = text.find("rm "); at != std::string::npos; at = text.find("rm ", at + 1))
    ++deletions;
  EXPECT_EQ(deletions, 2u);
  EXPECT_EQ(text.find(".so"), std::string::npos);
  EXPECT_EQ(text.find("\r"), std::string::npos);
  EXPECT_EQ(text.find("-r"), std::string::npos);
  EXPECT_EQ(text.find("kill"), text.find("kill -0 \"$pid\""));  // by id, never by name
}

TEST(SelfDeleteScriptTextTest, WithoutAProcessIdNothingIsEnded) {
  for (pid_t pid : {0, -1}) {
    const std::string text = ToUtf8(SelfDeleteScriptText(u"/d/s.sh", u"/d/InstallTarvo", pid));
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

std::string ReadAll(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// What another user of the folder may put at a name: a link to a file of the
// user's, or a FIFO holding a command for whoever reads it.
enum class TPlant { None, Link, Fifo };

// An installer's folder with a name no shell may interpret, the installer (a copy of
// sleep standing in for it), libraries of the TLS names, the product's old
// installer file, and a subfolder with files of the same names, one of them
// running as well.
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
    for (int fd : fifos)
      ::close(fd);
  }

  std::filesystem::path Installer() const { return folder.Path() / "InstallTarvo"; }

  void Plant(const std::filesystem::path& at, TPlant plant) {
    std::error_code ignored;
    std::filesystem::remove(at, ignored);
    if (plant == TPlant::Link) {
      std::filesystem::create_symlink(canary, at);
    } else if (plant == TPlant::Fifo) {
      ASSERT_EQ(::mkfifo(at.c_str(), 0666), 0);
      // Held open for reading and writing, so the command waits in it for a reader.
      const int fd = ::open(at.c_str(), O_RDWR | O_NONBLOCK);
      ASSERT_GE(fd, 0);
      ASSERT_EQ(::write(fd, fifoCommand.data(), fifoCommand.size()),
                static_cast<ssize_t>(fifoCommand.size()));
      fifos.push_back(fd);
    }
  }

  // Closes a wizard whose installer process is pid; the real script is started.
  // Between its writing and its start the script's own name is given over to
  // swap, as another user of the folder could do.
  void CloseWith(pid_t pid, TPlant swap = TPlant::None) {
    TInstallerState state;
    TRecordingView view;
    TInstallerEnvironment environment;
    environment.ExecutablePath = FromUtf8(Installer().string());
    environment.ProcessId = pid;
    environment.StartScript = [this, swap](int fd, const std::u16string& path) {
      script = ToUtf8(path);
      if (swap != TPlant::None)
        Plant(script, swap);
      return StartDetachedScript(fd);
    };
    TInstallerWizard wizard(state, view, environment);
    wizard.FormCreate();
    state.IDApp = u"INSTALLTARVO";
    TCloseAction action = caFree;
    wizard.FormClose(action);
    ASSERT_EQ(action, caFree);
    ASSERT_TRUE(view.ErrorBoxes().empty());
  }

  // True once the script has deleted its name, its last deed.
  bool WaitForScript() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (script.empty() || std::filesystem::symlink_status(script).type() !=
                                 std::filesystem::file_type::not_found) {
      if (std::chrono::steady_clock::now() > deadline)
        return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
  }

  void ExpectExactlyTheNamedFilesDeleted() {
    EXPECT_FALSE(Exists(Installer()));
    EXPECT_TRUE(Exists(folder.Path() / "libcrypto.so.3")) << "the libraries are the system's";
    EXPECT_TRUE(Exists(folder.Path() / "libssl.so.3"));
    EXPECT_TRUE(Exists(folder.Path() / "Ctimne.txt"));
    EXPECT_TRUE(Exists(folder.Path() / "sub" / "InstallTarvo"));
    EXPECT_TRUE(Exists(folder.Path() / "sub" / "libssl.so.3"));
    EXPECT_TRUE(Exists(folder.Path() / "sub" / "SelfDelete.sh"));
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
      EXPECT_FALSE(entry.path().filename().string().starts_with("SelfDelete-")) << entry.path();
    }
    // Nothing of the folder's name was run as a command, nothing read from a FIFO.
    EXPECT_FALSE(Exists(std::filesystem::current_path() / "pwned"));
    EXPECT_FALSE(Exists(std::filesystem::current_path() / "pwned2"));
    EXPECT_FALSE(Exists(marker));
    EXPECT_EQ(ReadAll(canary), "the user's own file");
    for (int fd : fifos) {
      std::string left(fifoCommand.size() + 16, '\0');
      EXPECT_EQ(::read(fd, left.data(), left.size()), static_cast<ssize_t>(fifoCommand.size()))
          << "nothing was read from the FIFO";
    }
  }

  TScratchFolder folder{"Vornel 'a' \"b\" $HOME `touch pwned` $(touch pwned2) x"};
  TScratchFolder user;
  std::filesystem::path canary = user.Write("canary", "the user's own file");
  std::filesystem::path marker = user.Path() / "fifo-was-read";
  std::string fifoCommand = "touch '" + marker.string() + "'\n";
  std::vector<int> fifos;
  std::filesystem::path script;
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

// A link or a FIFO at every name the closing writes or deletes: the names known
// beforehand (the old script name, the old installer file) and the script's own,
// taken over after the script was written. The shell runs the file written.
TEST_F(SelfDeleteRunTest, PlantedLinksAndFifosAreNeverFollowedOrRead) {
  for (TPlant plant : {TPlant::Link, TPlant::Fifo}) {
    SCOPED_TRACE(plant == TPlant::Link ? "link" : "fifo");
    if (!Exists(Installer()))
      std::filesystem::copy_file("/bin/sleep", Installer());
    Plant(folder.Path() / "SelfDelete.sh", plant);
    Plant(folder.Path() / "SetupTarvo.exe", plant);
    const pid_t installer = Spawn(Installer(), "0.2");
    installerStatus = Reaper(installer);

    CloseWith(installer, plant);
    ASSERT_TRUE(WaitForScript());

    installerStatus.get();
    ExpectExactlyTheNamedFilesDeleted();
    EXPECT_NE(std::filesystem::symlink_status(folder.Path() / "SelfDelete.sh").type(),
              std::filesystem::file_type::not_found);
    EXPECT_NE(std::filesystem::symlink_status(folder.Path() / "SetupTarvo.exe").type(),
              std::filesystem::file_type::not_found)
        << "not the user's regular file: left alone";
    for (int fd : fifos)
      ::close(fd);
    fifos.clear();
  }
}

}  // namespace
}  // namespace vornel
