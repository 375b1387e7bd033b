#include "platform/computer_name.h"

#include <unistd.h>

#include <string>

#include "platform/text.h"

namespace vornel {

std::u16string ComputerName() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0)
    return {};
  std::string text(name);
  text = text.substr(0, text.find('.')).substr(0, 15);
  return AsciiUpperCase(FromUtf8(text));
}

}  // namespace vornel
