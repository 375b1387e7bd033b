#include "platform/computer_name.h"

#include <string>

#include "platform/text.h"
#include "platform/win32/wide.h"

#include <windows.h>

namespace vornel {

std::u16string ComputerName() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  if (!GetComputerNameW(name, &size))
    return {};
  std::u16string text = FromWide(name, size);
  return AsciiUpperCase(text.substr(0, text.find(u'.')).substr(0, 15));
}

}  // namespace vornel
