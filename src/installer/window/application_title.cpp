#include "installer/window/application_title.h"

#include "platform/file_system.h"
#include "platform/temp_folder.h"

namespace vornel {

QString ApplicationTitleOf(std::u16string_view executablePath) {
  std::u16string name = ExtractFileName(executablePath);
  const size_t dot = name.find(u'.');
  if (dot != std::u16string::npos)
    name.resize(dot);
  return QString::fromStdU16String(name);
}

QString ApplicationTitle() {
  static const QString title = ApplicationTitleOf(ExecutablePath());
  return title;
}

}  // namespace vornel
