// Running netget.exe as a child process with CreateProcessW: its command line
// quoted by the rules its C runtime parses, its environment this process's with
// the settings on top.
#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <memory>

#include "netget_test.h"
#include "platform/text.h"
#include "support/peer_side.h"

namespace vornel::test {

namespace {

std::wstring Wide(const std::string& text) {
  const std::u16string wide = FromUtf8(text);
  return {wide.begin(), wide.end()};
}

// One argument as the C runtime splits command lines: in quotes, a quote
// escaped, and the backslashes before a quote (or the closing one) doubled.
std::wstring Quoted(const std::wstring& arg) {
  std::wstring out = L"\"";
  std::size_t backslashes = 0;
  for (const wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, L'\\');
  return out + L"\"";
}

std::wstring NameOf(const std::wstring& setting) {
  std::wstring name = setting.substr(0, setting.find(L'=', 1));
  std::transform(name.begin(), name.end(), name.begin(), ::towupper);
  return name;
}

// This process's environment block with the settings replacing those of the
// same name (names compared without case, as Windows does).
std::wstring EnvironmentBlock(const std::vector<std::string>& settings) {
  std::vector<std::wstring> added;
  for (const std::string& s : settings)
    added.push_back(Wide(s));
  std::wstring block;
  const std::unique_ptr<wchar_t, decltype(&::FreeEnvironmentStringsW)> current(
      ::GetEnvironmentStringsW(), &::FreeEnvironmentStringsW);
  for (const wchar_t* p = current.get(); *p; p += std::wcslen(p) + 1) {
    const std::wstring entry = p;
    const bool replaced = std::any_of(added.begin(), added.end(), [&](const std::wstring& a) {
      return NameOf(a) == NameOf(entry);
    });
    if (!replaced)
      block += entry + L'\0';
  }
  for (const std::wstring& a : added)
    block += a + L'\0';
  return block + L'\0';
}

class THandle {
 public:
  explicit THandle(HANDLE handle) : FHandle(handle) {}
  ~THandle() {
    if (FHandle != INVALID_HANDLE_VALUE && FHandle)
      ::CloseHandle(FHandle);
  }
  THandle(const THandle&) = delete;
  THandle& operator=(const THandle&) = delete;
  HANDLE Get() const { return FHandle; }

 private:
  HANDLE FHandle;
};

HANDLE Inheritable(const fs::path& path, bool write) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return ::CreateFileW(path.wstring().c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                       write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

TRun RunProgram(const fs::path& program, const std::vector<std::string>& args,
                const std::vector<std::string>& env, const fs::path& cwd, const fs::path& scratch) {
  TRun run;
  {
    const THandle in(Inheritable(L"NUL", false));
    const THandle out(Inheritable(scratch / "stdout", true));
    const THandle err(Inheritable(scratch / "stderr", true));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in.Get();
    startup.hStdOutput = out.Get();
    startup.hStdError = err.Get();
    std::wstring commandLine = Quoted(program.wstring());
    for (const std::string& a : args)
      commandLine += L" " + Quoted(Wide(a));
    std::wstring environment = EnvironmentBlock(env);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(program.wstring().c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                          CREATE_UNICODE_ENVIRONMENT, environment.data(),
                          cwd.empty() ? nullptr : cwd.wstring().c_str(), &startup, &process)) {
      run.Err = "CreateProcessW failed: " + std::to_string(::GetLastError());
      return run;
    }
    const THandle thread(process.hThread), child(process.hProcess);
    DWORD code = 0;
    if (::WaitForSingleObject(child.Get(), 120000) == WAIT_OBJECT_0 &&
        ::GetExitCodeProcess(child.Get(), &code))
      run.ExitCode = static_cast<int>(code);
    else
      ::TerminateProcess(child.Get(), 255);
  }
  run.Out = ReadAll(scratch / "stdout");
  run.Err = ReadAll(scratch / "stderr");
  return run;
}

fs::path NetgetProgram() {
  return LocalPath(VORNEL_NETGET);
}

}  // namespace vornel::test
