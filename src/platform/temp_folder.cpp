#include "platform/temp_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/file_system.h"
#include "platform/text.h"

namespace vornel {

std::u16string PrivateFolderUnder(const std::u16string& base, unsigned uid) {
  const std::u16string folder = IncludeTrailingPathDelimiter(base) + u"vornel-" + IntToText(uid);
  const std::string path = ToUtf8(folder);
  if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
    return {};
  struct stat st {};
  // lstat: a symbolic link planted at the name is refused, never followed.
  if (::lstat(path.c_str(), &st) != 0)
    return {};
  if (!S_ISDIR(st.st_mode) || st.st_uid != uid)
    return {};
  if ((st.st_mode & 0077) != 0)
    return {};
  return folder + u"/";
}

std::u16string UserTempFolder() {
  const char* tmpdir = std::getenv("TMPDIR");
  std::u16string base = u"/tmp";
  if (tmpdir != nullptr && tmpdir[0] == '/')
    base = FromUtf8(tmpdir);
  return PrivateFolderUnder(base, static_cast<unsigned>(::geteuid()));
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
