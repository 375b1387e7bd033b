// The title that message boxes carry: no title is set, so it is the executable's
// file name cut before its first dot ("InstallTarvo" of "InstallTarvo.exe").
#pragma once

#include <QString>
#include <string_view>

namespace vornel {

QString ApplicationTitleOf(std::u16string_view executablePath);
// Of the running executable.
QString ApplicationTitle();

}  // namespace vornel
