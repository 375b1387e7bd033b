// The stand-in program of the Windows tests (stand_in.cpp), started as the tests
// need it.
#pragma once

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include <windows.h>

namespace vornel::testing {

// The stand-in's path, beside the test program.
inline std::filesystem::path StandInProgram() {
  wchar_t buffer[32768] = {};
  GetModuleFileNameW(nullptr, buffer, 32768);
  return std::filesystem::path(buffer).parent_path() / "installer_stand_in.exe";
}

// A process started from program with the arguments, its handle closed with the
// object (the process itself is left as it is).
class TStartedProcess {
 public:
  TStartedProcess(const std::filesystem::path& program, const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + program.wstring() + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (CreateProcessW(program.wstring().c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                       nullptr, nullptr, &startup, &info)) {
      CloseHandle(info.hThread);
      FHandle = info.hProcess;
      FId = info.dwProcessId;
    }
  }
  ~TStartedProcess() {
    if (FHandle != nullptr) {
      if (Running())
        TerminateProcess(FHandle, 99);
      WaitForSingleObject(FHandle, 5000);
      CloseHandle(FHandle);
    }
  }
  TStartedProcess(const TStartedProcess&) = delete;
  TStartedProcess& operator=(const TStartedProcess&) = delete;

  bool Started() const { return FHandle != nullptr; }
  DWORD Id() const { return FId; }
  bool Running() const { return WaitForSingleObject(FHandle, 0) == WAIT_TIMEOUT; }
  // The exit code once it has ended within timeoutMs, else STILL_ACTIVE.
  DWORD Wait(DWORD timeoutMs) const {
    WaitForSingleObject(FHandle, timeoutMs);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(FHandle, &code);
    return code;
  }

 private:
  HANDLE FHandle = nullptr;
  DWORD FId = 0;
};

}  // namespace vornel::testing
