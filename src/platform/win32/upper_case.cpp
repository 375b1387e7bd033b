// Through the system's own case table (CharUpperBuffW), as its file names compare;
// the C library's towupper knows ASCII alone in its "C" locale.
#include "platform/upper_case.h"

#include <windows.h>

namespace vornel {

char16_t UpperCaseUnit(char16_t c) {
  if (c < 0x80)
    return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
  if (c >= 0xD800 && c <= 0xDFFF)
    return c;
  WCHAR unit = static_cast<WCHAR>(c);
  CharUpperBuffW(&unit, 1);
  return static_cast<char16_t>(unit);
}

}  // namespace vornel
