#include "platform/temp_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/file_system.h"
#include "platform/owned_files.h"
#include "platform/text.h"

namespace vornel {

namespace {

std::u16string FreshStem(unsigned uid) {
  return u"vornel-" + IntToText(uid) + u"-";
}

// The folder made when missing; with its trailing delimiter when it is the user's
// alone (checked with lstat: a link planted at the name is refused, never followed).
std::u16string OwnFolder(const std::u16string& folder) {
  if (::mkdir(ToUtf8(folder).c_str(), 0700) != 0 && errno != EEXIST)
    return {};
  if (CheckOwnFolder(folder, 0077) != TFolderTrust::Own)
    return {};
  return folder + u"/";
}

// An absolute path from the environment, or empty.
std::u16string AbsoluteFromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || value[0] != '/')
    return {};
  return FromUtf8(value);
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
      if (std::u16string folder = OwnFolder(runtime + u"/vornel"); !folder.empty())
        return folder;
    }
  }
  std::string pattern = ToUtf8(IncludeTrailingPathDelimiter(base) + FreshStem(uid)) + "XXXXXX";
  // mkdtemp makes a new folder of mode 0700 under a name nothing held before.
  if (::mkdtemp(pattern.data()) == nullptr)
    return {};
  return FromUtf8(pattern) + u"/";
}

bool IsFreshTempFolder(const std::u16string& folder, unsigned uid) {
  const std::u16string name = ExtractFileName(ExcludeTrailingPathDelimiter(folder));
  const std::u16string stem = FreshStem(uid);
  return name.size() == stem.size() + 6 && name.compare(0, stem.size(), stem) == 0;
}

std::u16string UserTempFolder() {
  std::u16string base = AbsoluteFromEnvironment("TMPDIR");
  if (base.empty())
    base = u"/tmp";
  return PrivateTempFolder(base, AbsoluteFromEnvironment("XDG_RUNTIME_DIR"),
                           static_cast<unsigned>(::geteuid()));
}

std::u16string ExecutablePath() {
  std::string buffer(4096, '\0');
  const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
  if (n <= 0)
    return {};
  buffer.resize(static_cast<std::size_t>(n));
  return FromUtf8(buffer);
}

}  // namespace vornel
