#include "installer/window/embedded_fonts.h"

#include <QFile>
#include <QFontDatabase>

#include "installer/window/emboldened_face.h"

namespace vornel {

bool RegisterEmbeddedFonts() {
  bool ok = QFontDatabase::addApplicationFont(QStringLiteral(":/vornel/fonts/tahoma.ttf")) >= 0;
  QFile bold(QStringLiteral(":/vornel/fonts/tahomabd.ttf"));
  if (!bold.open(QIODevice::ReadOnly) ||
      QFontDatabase::addApplicationFontFromData(AsFaceToEmbolden(bold.readAll())) < 0)
    ok = false;
  return ok;
}

}  // namespace vornel
