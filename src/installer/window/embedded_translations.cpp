#include "installer/window/embedded_translations.h"

#include <QCoreApplication>

namespace vornel {

bool InstallEmbeddedTranslations(QTranslator& translator) {
  return translator.load(QStringLiteral(":/vornel/translations/qtbase_cs.qm")) &&
         QCoreApplication::installTranslator(&translator);
}

}  // namespace vornel
