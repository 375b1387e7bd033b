// Windows gives main() its arguments in the ANSI code page, which cannot hold
// every name: they are taken from the wide command line instead.
#include "platform/command_line.h"

#include <memory>

#include <windows.h>

#include <shellapi.h>

namespace vornel {

std::vector<std::u16string> CommandLineArguments(int, char**) {
  int count = 0;
  const std::unique_ptr<LPWSTR, decltype(&LocalFree)> words(
      CommandLineToArgvW(GetCommandLineW(), &count), &LocalFree);
  std::vector<std::u16string> args;
  for (int i = 1; words && i < count; ++i)
    args.emplace_back(reinterpret_cast<const char16_t*>(words.get()[i]));
  return args;
}

}  // namespace vornel
