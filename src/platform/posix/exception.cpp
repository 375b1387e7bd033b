#include "platform/exception.h"

#include <cerrno>
#include <cstring>

#include "platform/text.h"

namespace vornel {

Exception::Exception(std::u16string message)
    : FMessage(std::move(message)), FWhat(ToUtf8(FMessage)) {}

void Exception::SetMessage(std::u16string message) {
  FMessage = std::move(message);
  FWhat = ToUtf8(FMessage);
}

std::u16string SysErrorMessage(int errorCode) {
  char buffer[256];
  // The GNU strerror_r returns the text, which need not be in the buffer.
  const char* text = strerror_r(errorCode, buffer, sizeof buffer);
  return FromUtf8(text);
}

int LastOSError() {
  return errno;
}

}  // namespace vornel
