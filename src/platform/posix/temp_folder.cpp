#include "platform/temp_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/file_system.h"
#include "platform/owned_files.h"
#include "platform/private_folder.h"
#include "platform/text.h"

namespace vornel {

// Checked with lstat: a link planted at the name is refused, never followed.
std::u16string OwnFolder(const std::u16string& folder) {
  if (::mkdir(ToUtf8(folder).c_str(), 0700) != 0 && errno != EEXIST)
    return {};
  if (CheckOwnFolder(folder, 0077) != TFolderTrust::Own)
    return {};
  return folder + u"/";
}

namespace {

// An absolute path from the environment, or empty.
std::u16string AbsoluteFromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || value[0] != '/')
    return {};
  return FromUtf8(value);
}

}  // namespace

std::u16string FreshFolder(const std::u16string& base, const std::u16string& stem) {
  std::string pattern = ToUtf8(IncludeTrailingPathDelimiter(base) + stem) + "XXXXXX";
  // mkdtemp makes a new folder of mode 0700 under a name nothing held before.
  if (::mkdtemp(pattern.data()) == nullptr)
    return {};
  return FromUtf8(pattern) + u"/";
}

std::u16string UserTempFolder() {
  std::u16string base = AbsoluteFromEnvironment("TMPDIR");
  if (base.empty())
    base = u"/tmp";
  return PrivateTempFolder(base, AbsoluteFromEnvironment("XDG_RUNTIME_DIR"),
                           static_cast<unsigned>(::geteuid()));
}

bool IsOwnFreshTempFolder(const std::u16string& folder) {
  return IsFreshTempFolder(folder, static_cast<unsigned>(::geteuid()));
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
