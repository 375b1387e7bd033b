#include "installer/window/embedded_fonts.h"

#include <QFontDatabase>

namespace vornel {

bool RegisterEmbeddedFonts() {
  bool ok = true;
  for (const char* path : {":/vornel/fonts/tahoma.ttf", ":/vornel/fonts/tahomabd.ttf"}) {
    if (QFontDatabase::addApplicationFont(QString::fromLatin1(path)) < 0)
      ok = false;
  }
  return ok;
}

}  // namespace vornel
