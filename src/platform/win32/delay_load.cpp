// The system libraries that are not among Windows' known DLLs (bcrypt, crypt32,
// comctl32, msimg32; see delay_load/*.def) are delay-loaded: the loader maps
// every library of the import table before main runs, searching the program's
// folder first, where a download folder may hold a planted file of that name.
// A delay-loaded library is loaded on its first call instead, and these hooks
// of the runtime's delay-load helper make that load search System32 only,
// whenever it happens (a static initialiser included). A library or function
// that is missing ends the program with a message that names it, never with the
// helper's exception or a load from anywhere else.
#include <windows.h>

#include <delayimp.h>

#include <cstdio>

namespace {

// The exit code of a program that misses a system library or function.
constexpr UINT KMissingExitCode = 3;

// Console programs write the message to the standard error; window programs,
// which have none, show it.
[[noreturn]] void Fail(const char* what, const char* library, DWORD error) {
  char message[512];
  std::snprintf(message, sizeof message, "%s %s (error %lu).", what, library,
                static_cast<unsigned long>(error));
  const auto* base = reinterpret_cast<const BYTE*>(::GetModuleHandleW(nullptr));
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  if (nt->OptionalHeader.Subsystem == IMAGE_SUBSYSTEM_WINDOWS_GUI) {
    ::MessageBoxA(nullptr, message, "Missing system library", MB_OK | MB_ICONERROR);
  } else {
    std::fprintf(stderr, "%s\n", message);
    std::fflush(stderr);
  }
  ::ExitProcess(KMissingExitCode);
}

FARPROC WINAPI Notify(unsigned notification, PDelayLoadInfo info) {
  if (notification != dliNotePreLoadLibrary)
    return nullptr;
  const HMODULE library = ::LoadLibraryExA(info->szDll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (library == nullptr)
    Fail("Cannot load the system library", info->szDll, ::GetLastError());
  return reinterpret_cast<FARPROC>(library);
}

FARPROC WINAPI Failure(unsigned notification, PDelayLoadInfo info) {
  if (notification == dliFailGetProc) {
    char what[256];
    if (info->dlp.fImportByName)
      std::snprintf(what, sizeof what, "No function %s in the system library",
                    info->dlp.szProcName);
    else
      std::snprintf(what, sizeof what, "No function #%lu in the system library",
                    static_cast<unsigned long>(info->dlp.dwOrdinal));
    Fail(what, info->szDll, info->dwLastError);
  }
  Fail("Cannot load the system library", info->szDll, info->dwLastError);
}

}  // namespace

// The helper's hooks, looked up by these names (the platform library tells the
// linker to take them from here rather than the runtime's empty ones).
extern "C" {
PfnDliHook __pfnDliNotifyHook2 = Notify;
PfnDliHook __pfnDliFailureHook2 = Failure;
}
