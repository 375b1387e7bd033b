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
// and not waited for; its name is taken from the open handle itself.
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
  const std::wstring parameters = L"/d /c \"\"" + path + L"\"\"";
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_FLAG_NO_UI;
  info.lpVerb = L"open";
  info.lpFile = L"cmd.exe";
  info.lpParameters = parameters.c_str();
  info.nShow = SW_HIDE;
  return ShellExecuteExW(&info) != 0;
}

}  // namespace vornel
