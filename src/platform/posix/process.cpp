#include "platform/process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/text.h"

extern char** environ;

namespace vornel {

namespace {

bool StartsWithMZ(const std::string& path) {
  // Non-blocking: a FIFO put in the file's place does not hold the window.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0)
    return false;
  char magic[2] = {};
  const bool mz = ::read(fd, magic, 2) == 2 && magic[0] == 'M' && magic[1] == 'Z';
  ::close(fd);
  return mz;
}

// The full path of a program found on the PATH, or empty.
std::string FindOnPath(const char* program) {
  const char* path = std::getenv("PATH");
  if (path == nullptr)
    return {};
  std::string list(path);
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = list.find(':', start);
    if (end == std::string::npos)
      end = list.size();
    std::string candidate = list.substr(start, end - start);
    if (!candidate.empty()) {
      candidate += '/';
      candidate += program;
      if (::access(candidate.c_str(), X_OK) == 0)
        return candidate;
    }
    start = end + 1;
  }
  return {};
}

// posix_spawn with its attribute and file-action objects released on every path.
class TSpawn {
 public:
  TSpawn() {
    posix_spawnattr_init(&FAttr);
    posix_spawn_file_actions_init(&FActions);
  }
  ~TSpawn() {
    posix_spawn_file_actions_destroy(&FActions);
    posix_spawnattr_destroy(&FAttr);
  }
  TSpawn(const TSpawn&) = delete;
  TSpawn& operator=(const TSpawn&) = delete;

  posix_spawnattr_t* Attr() { return &FAttr; }
  posix_spawn_file_actions_t* Actions() { return &FActions; }

  pid_t Run(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const auto& a : argv)
      args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, args[0], &FActions, &FAttr, args.data(), environ) != 0)
      return -1;
    return pid;
  }

 private:
  posix_spawnattr_t FAttr;
  posix_spawn_file_actions_t FActions;
};

}  // namespace

std::unique_ptr<TChildProcess> TChildProcess::Start(const std::u16string& fileName) {
  const std::string path = ToUtf8(fileName);
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
    return nullptr;
  // A Windows program goes to wine even when it carries an execute bit: the
  // kernel cannot run it.
  std::vector<std::string> argv;
  const std::string wine = StartsWithMZ(path) ? FindOnPath("wine") : std::string();
  if (!wine.empty()) {
    argv = {wine, path};
  } else if (::access(path.c_str(), X_OK) == 0) {
    argv = {path};
  } else {
    return nullptr;
  }
  TSpawn spawn;
  const pid_t pid = spawn.Run(argv);
  if (pid < 0)
    return nullptr;
  return std::unique_ptr<TChildProcess>(new TChildProcess(pid));
}

TChildProcess::~TChildProcess() {
  // A child still running is left alone; one that ended is reaped.
  if (!FEnded)
    ExitCode();
}

std::uint32_t TChildProcess::ExitCode() {
  if (FEnded)
    return FExitCode;
  int status = 0;
  pid_t result;
  do {
    result = ::waitpid(FPid, &status, WNOHANG);
  } while (result < 0 && errno == EINTR);
  if (result == 0)
    return STILL_ACTIVE;
  FEnded = true;
  if (result < 0) {
    FExitCode = 1;
  } else if (WIFEXITED(status)) {
    FExitCode = static_cast<std::uint32_t>(WEXITSTATUS(status));
  } else if (WIFSIGNALED(status)) {
    FExitCode = 128u + static_cast<std::uint32_t>(WTERMSIG(status));
  }
  return FExitCode;
}

// Input reaches the windows through the event loop, not through this wait.
void TChildProcess::WaitForEndOrInput(unsigned milliseconds) {
  SleepMs(milliseconds);
}

pid_t CurrentProcessId() {
  return ::getpid();
}

bool StartDetachedScript(int scriptFd) {
  // The child finds the script as descriptor 3, the number it reads it by; a copy
  // above the standard numbers first, so that the dup2 never meets itself.
  const int copy = ::fcntl(scriptFd, F_DUPFD_CLOEXEC, 10);
  if (copy < 0)
    return false;
  TSpawn spawn;
  posix_spawnattr_setflags(spawn.Attr(), POSIX_SPAWN_SETSID);
  for (int fd = 0; fd <= 2; ++fd) {
    posix_spawn_file_actions_addopen(spawn.Actions(), fd, "/dev/null",
                                     fd == 0 ? O_RDONLY : O_WRONLY, 0);
  }
  posix_spawn_file_actions_adddup2(spawn.Actions(), copy, ScriptDescriptor);
  const pid_t pid = spawn.Run({"/bin/sh", "/dev/fd/" + std::to_string(ScriptDescriptor)});
  ::close(copy);
  // The script outlives us; its exit is never waited for here.
  return pid > 0;
}

}  // namespace vornel
