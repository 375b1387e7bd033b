#include "platform/exception.h"

#include <cstring>

#include "platform/text.h"
#include "platform/win32/wide.h"

#include <windows.h>

namespace vornel {

Exception::Exception(std::u16string message)
    : FMessage(std::move(message)), FWhat(ToUtf8(FMessage)) {}

void Exception::SetMessage(std::u16string message) {
  FMessage = std::move(message);
  FWhat = ToUtf8(FMessage);
}

// The system's text of a Windows error number, without its closing line break.
std::u16string SysErrorMessage(int errorCode) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(errorCode), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  if (length == 0 || text == nullptr)
    return u"System error " + IntToText(errorCode);
  std::u16string message = FromWide(text, length);
  LocalFree(text);
  while (!message.empty() &&
         (message.back() == u'\n' || message.back() == u'\r' || message.back() == u' '))
    message.pop_back();
  return message;
}

int LastOSError() {
  return static_cast<int>(GetLastError());
}

}  // namespace vornel
