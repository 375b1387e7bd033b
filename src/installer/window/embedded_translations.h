// Qt's own texts in Czech, compiled into the program.
#pragma once

#include <QTranslator>

namespace vornel {

// Loads Qt's Czech translations (the standard dialogs and buttons: the folder
// picker, the message boxes) from the program's resources into the translator and
// installs it with the application, so those texts read Czech whatever the
// desktop's language. Call after the application object exists; the translator
// must outlive its use. False when they could not be loaded.
bool InstallEmbeddedTranslations(QTranslator& translator);

}  // namespace vornel
