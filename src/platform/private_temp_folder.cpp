// Which private temporary folder is taken, in which order, on every system.
#include "platform/file_system.h"
#include "platform/owned_files.h"
#include "platform/private_folder.h"
#include "platform/temp_folder.h"
#include "platform/text.h"

namespace vornel {

namespace {

std::u16string FreshStem(unsigned uid) {
  return u"vornel-" + IntToText(uid) + u"-";
}

}  // namespace

std::u16string PrivateFolderUnder(const std::u16string& base, unsigned uid) {
  return OwnFolder(IncludeTrailingPathDelimiter(base) + u"vornel-" + IntToText(uid));
}

std::u16string PrivateTempFolder(const std::u16string& base, const std::u16string& runtimeDir,
                                 unsigned uid) {
  if (std::u16string folder = PrivateFolderUnder(base, uid); !folder.empty())
    return folder;
  if (!runtimeDir.empty()) {
    const std::u16string runtime = ExcludeTrailingPathDelimiter(runtimeDir);
    if (CheckOwnFolder(runtime, 0022) == TFolderTrust::Own) {
      if (std::u16string folder = OwnFolder(IncludeTrailingPathDelimiter(runtime) + u"vornel");
          !folder.empty())
        return folder;
    }
  }
  return FreshFolder(base, FreshStem(uid));
}

bool IsFreshTempFolder(const std::u16string& folder, unsigned uid) {
  const std::u16string name = ExtractFileName(ExcludeTrailingPathDelimiter(folder));
  const std::u16string stem = FreshStem(uid);
  return name.size() == stem.size() + 6 && name.compare(0, stem.size(), stem) == 0;
}

}  // namespace vornel
