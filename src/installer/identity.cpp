#include "installer/identity.h"

#include "platform/file_system.h"
#include "platform/text.h"

namespace vornel {

std::u16string IdentityOf(std::u16string_view executablePath) {
  return ReplaceFirst(AsciiUpperCase(ExtractFileName(executablePath)), u".EXE", u"");
}

std::u16string ApplicationTitle(std::u16string_view executablePath) {
  std::u16string name = ExtractFileName(executablePath);
  if (const auto dot = name.find(u'.'); dot != std::u16string::npos)
    name.resize(dot);
  return name;
}

std::u16string ReplaceFirst(std::u16string_view text, std::u16string_view what,
                            std::u16string_view with) {
  std::u16string out(text);
  if (what.empty())
    return out;
  if (const auto pos = out.find(what); pos != std::u16string::npos) {
    out.replace(pos, what.size(), with);
  }
  return out;
}

}  // namespace vornel
