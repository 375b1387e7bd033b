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
  // folder. A file beginning with "MZ" (a Windows program) starts through "wine"
  // when that is on the PATH, execute bit or not; any other file with an execute
  // bit starts directly. Null when it cannot start.
  static std::unique_ptr<TChildProcess> Start(const std::u16string& fileName);

  ~TChildProcess();
  TChildProcess(const TChildProcess&) = delete;
  TChildProcess& operator=(const TChildProcess&) = delete;

  // STILL_ACTIVE while the child runs; then its exit code, or 128 + the signal
  // number when a signal ended it.
  std::uint32_t ExitCode();
  // Whether ExitCode has seen the child end. A Windows program may itself end
  // with the code STILL_ACTIVE: only this tells it from one still running.
  bool Ended() const { return FEnded; }
  pid_t Pid() const { return FPid; }
  // Waits at most milliseconds, less when the child ends first or (on a system
  // whose windows get their input through the waiting thread) when input for the
  // thread's windows arrives, so that the caller pumps it at once.
  void WaitForEndOrInput(unsigned milliseconds);

 private:
  explicit TChildProcess(pid_t pid) : FPid(pid) {}

  pid_t FPid;
  // The system's handle of the child where it has one beside the id (Windows).
  void* FNativeHandle = nullptr;
  bool FEnded = false;
  std::uint32_t FExitCode = STILL_ACTIVE;
};

// The id of the running process.
pid_t CurrentProcessId();

// The descriptor number under which a detached script's shell inherits its file.
inline constexpr int ScriptDescriptor = 3;

// Runs "/bin/sh /dev/fd/3" on the open script file scriptFd (inherited as
// descriptor 3, so the shell reads exactly that file, whatever its name has come
// to mean since) in a new session with standard input, output and error on
// /dev/null; not waited for. On Windows the batch file of that handle runs hidden
// through cmd.exe in its own folder, and a file name of other characters than
// letters, digits, '.', '-' and '_' is refused. False when it cannot be started.
bool StartDetachedScript(int scriptFd);

}  // namespace vornel
