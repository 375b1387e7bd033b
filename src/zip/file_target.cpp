#include "zip/file_target.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_system.h"
#include "platform/text.h"

namespace vornel {

void ArCreateDirectory(const std::u16string& path) {
  if (path.empty() || DirectoryExists(path))
    return;
  std::size_t pos = path.find(PathDelimiter, 1);
  for (;;) {
    const std::u16string level = pos == std::u16string::npos ? path : path.substr(0, pos);
    if (!level.empty() && !DirectoryExists(level) && !CreateDir(level)) {
      const int error = errno;
      throw EOSError(SysErrorMessage(error) + u" (" + level + u")", error);
    }
    if (pos == std::u16string::npos)
      break;
    pos = path.find(PathDelimiter, pos + 1);
  }
}

std::unique_ptr<TFileStream> ArCreateTargetFile(const std::u16string& path) {
  const std::string native = ToUtf8(path);
  struct stat st {};
  if (::lstat(native.c_str(), &st) == 0) {
    if (S_ISLNK(st.st_mode)) {
      ::unlink(native.c_str());
    } else if (S_ISREG(st.st_mode) && (st.st_mode & 0222) == 0) {
      throw EFCreateError(u"Cannot create file \"" + path + u"\". " + SysErrorMessage(EACCES));
    }
  }
  return std::make_unique<TFileStream>(path, fmCreate);
}

void ArApplyItemTimeAndAttributes(const TArZipItem& item, const std::u16string& path) {
  SetFileLastWriteTime(path, item.LastModTimeAsDateTime());
  const bool folder = item.IsDirectory();
  const std::uint32_t mode = item.UnixMode();
  if (item.HasUnixMode() && (mode & 0777) != 0) {
    std::uint32_t bits = mode & 0777;
    if ((mode & 0xF000) == 0xA000)
      bits = 0644;  // a link, written as a file of its text
    if (folder)
      bits |= 0700;  // its items must still go in
    SetFilePermissions(path, bits);
  } else if (!folder) {
    SetFileReadOnly(path, (item.NativeFileAttributes() & faReadOnly) != 0);
  }
}

}  // namespace vornel
