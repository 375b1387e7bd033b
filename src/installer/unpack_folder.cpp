#include "installer/unpack_folder.h"

#include "platform/owned_files.h"
#include "platform/text.h"

namespace vornel {

namespace {

std::u16string Refusal(const std::u16string& folder, const std::u16string& reason) {
  return u"Do složky „" + folder + u"“ nelze instalační sadu rozbalit: " + reason +
         u"\n\nZvolte pro zálohu jinou složku.";
}

}  // namespace

void MakeUnpackFolder(const std::u16string& folder) {
  if (const int error = MakeFolder(folder, 0755); error != 0) {
    throw EUnpackFolder(
        Refusal(folder, u"složku nelze vytvořit (" + SysErrorMessage(error) + u")."));
  }
  // Looked at after the mkdir, whether it made the folder or found one: only what
  // is there now counts, and a link is never followed.
  switch (CheckOwnFolder(folder, 0022)) {
    case TFolderTrust::Own:
      return;
    case TFolderTrust::Missing:
    case TFolderTrust::NotAFolder:
      throw EUnpackFolder(Refusal(folder, u"na jejím místě je odkaz nebo soubor."));
    case TFolderTrust::OtherOwner:
      throw EUnpackFolder(Refusal(folder, u"složka patří jinému uživateli."));
    case TFolderTrust::OpenToOthers:
      throw EUnpackFolder(Refusal(folder, u"do složky mohou zapisovat i jiní uživatelé."));
  }
}

}  // namespace vornel
