// Starting programs: a child whose exit code is polled, and a detached script.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>

namespace vornel {

// The exit code that a child reads while it still runs.
inline constexpr std::uint32_t STILL_ACTIVE = 259;

class TChildProcess {
 public:
  // Starts the file by its full path without arguments, in the inherited working
  // folder. A file with an execute bit starts directly; a file beginning with
  // "MZ" starts through "wine" when that is on the PATH. Null when it cannot start.
  static std::unique_ptr<TChildProcess> Start(const std::u16string& fileName);

  ~TChildProcess();
  TChildProcess(const TChildProcess&) = delete;
  TChildProcess& operator=(const TChildProcess&) = delete;

  // STILL_ACTIVE while the child runs; then its exit code, or 128 + the signal
  // number when a signal ended it.
  std::uint32_t ExitCode();
  pid_t Pid() const { return FPid; }

 private:
  explicit TChildProcess(pid_t pid) : FPid(pid) {}

  pid_t FPid;
  bool FEnded = false;
  std::uint32_t FExitCode = STILL_ACTIVE;
};

// Runs "/bin/sh SCRIPT" in a new session with standard input, output and error on
// /dev/null; not waited for. False when it cannot be started.
bool StartDetachedScript(const std::u16string& scriptPath);

}  // namespace vornel
