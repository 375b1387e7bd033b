#include "platform/process.h"

#include <io.h>

#include <string>

#include "platform/file_system.h"
#include "platform/text.h"
#include "platform/win32/wide.h"

#include <windows.h>

// After windows.h, whose types it uses.
#include <shellapi.h>

namespace vornel {

std::unique_ptr<TChildProcess> TChildProcess::Start(const std::u16string& fileName) {
  const DWORD attributes = GetFileAttributesW(Wide(fileName));
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return nullptr;
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = L"open";
  info.lpFile = Wide(fileName);
  info.nShow = SW_SHOWNORMAL;
  if (!ShellExecuteExW(&info) || info.hProcess == nullptr)
    return nullptr;
  auto child = std::unique_ptr<TChildProcess>(
      new TChildProcess(static_cast<pid_t>(GetProcessId(info.hProcess))));
  child->FNativeHandle = info.hProcess;
  return child;
}

TChildProcess::~TChildProcess() {
  if (FNativeHandle != nullptr)
    CloseHandle(FNativeHandle);
}

std::uint32_t TChildProcess::ExitCode() {
  if (FEnded)
    return FExitCode;
  DWORD code = STILL_ACTIVE;
  if (!GetExitCodeProcess(FNativeHandle, &code)) {
    FEnded = true;
    FExitCode = 1;
    return FExitCode;
  }
  // A child that itself returns 259 is told apart by its handle being signalled.
  if (code == STILL_ACTIVE && WaitForSingleObject(FNativeHandle, 0) != WAIT_OBJECT_0)
    return STILL_ACTIVE;
  FEnded = true;
  FExitCode = code;
  return FExitCode;
}

// Wakes for the child's end or for any message of the thread's queue.
void TChildProcess::WaitForEndOrInput(unsigned milliseconds) {
  if (FEnded || FNativeHandle == nullptr)
    return;
  HANDLE handle = FNativeHandle;
  MsgWaitForMultipleObjects(1, &handle, FALSE, milliseconds, QS_ALLINPUT);
}

pid_t CurrentProcessId() {
  return static_cast<pid_t>(GetCurrentProcessId());
}

// The script file open as scriptFd runs through the command interpreter, hidden
// (no console, no window) and not waited for; its name is taken from the open handle itself. The
// interpreter expands %...% on its own command line even inside quotes, so the
// folder (whatever its name holds) is given as the working folder and only the
// file name, of plain characters, as the command.
bool StartDetachedScript(int scriptFd) {
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(scriptFd));
  if (handle == INVALID_HANDLE_VALUE)
    return false;
  std::wstring path(32768, L'\0');
  const DWORD length =
      GetFinalPathNameByHandleW(handle, path.data(), static_cast<DWORD>(path.size()), 0);
  if (length == 0 || length >= path.size())
    return false;
  path.resize(length);
  if (path.rfind(L"\\\\?\\", 0) == 0)
    path.erase(0, 4);
  const std::size_t slash = path.rfind(L'\\');
  if (slash == std::wstring::npos)
    return false;
  const std::wstring folder = path.substr(0, slash + 1);
  const std::wstring name = path.substr(slash + 1);
  for (wchar_t c : name) {
    const bool plain = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') ||
                       (c >= L'0' && c <= L'9') || c == L'.' || c == L'-' || c == L'_';
    if (!plain)
      return false;
  }
  // The interpreter of the system folder, never one found beside the installer;
  // CreateProcessW takes the working folder as it is (no variable in it expanded).
  wchar_t system[MAX_PATH] = {};
  const UINT systemLength = GetSystemDirectoryW(system, MAX_PATH);
  if (systemLength == 0 || systemLength >= MAX_PATH)
    return false;
  const std::wstring interpreter = std::wstring(system, systemLength) + L"\\cmd.exe";
  std::wstring commandLine = L"\"" + interpreter + L"\" /d /c \".\\" + name + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(interpreter.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                      CREATE_NO_WINDOW, nullptr, folder.c_str(), &startup, &process))
    return false;
  // Not waited for: the handles go at once, the script outlives the installer.
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

}  // namespace vornel
