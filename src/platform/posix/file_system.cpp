#include "platform/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <ctime>

#include "platform/clock.h"
#include "platform/text.h"

namespace vornel {

namespace {

bool StatPath(const std::u16string& path, struct stat& st) {
  return ::stat(ToUtf8(path).c_str(), &st) == 0;
}

}  // namespace

bool FileExists(const std::u16string& path) {
  struct stat st {};
  return StatPath(path, st) && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::u16string& path) {
  struct stat st {};
  return StatPath(path, st) && S_ISDIR(st.st_mode);
}

std::int64_t FileSize(const std::u16string& path) {
  struct stat st {};
  if (!StatPath(path, st) || S_ISDIR(st.st_mode))
    return -1;
  return st.st_size;
}

bool DeleteFile(const std::u16string& path) {
  return ::unlink(ToUtf8(path).c_str()) == 0;
}

bool RemoveDir(const std::u16string& path) {
  return ::rmdir(ToUtf8(path).c_str()) == 0;
}

bool CreateDir(const std::u16string& path) {
  if (::mkdir(ToUtf8(path).c_str(), 0777) == 0)
    return true;
  return errno == EEXIST && DirectoryExists(path);
}

bool ForceDirectories(const std::u16string& path) {
  const std::u16string dir = ExcludeTrailingPathDelimiter(path);
  if (dir.empty() || DirectoryExists(dir))
    return !dir.empty() || path == u"/";
  const std::u16string parent = ExcludeTrailingPathDelimiter(ExtractFilePath(dir));
  if (!parent.empty() && parent != dir && !DirectoryExists(parent) && !ForceDirectories(parent)) {
    return false;
  }
  return CreateDir(dir);
}

bool SetFileLastWriteTime(const std::u16string& path, double localDateTime) {
  const std::time_t seconds = LocalDateTimeToUnix(localDateTime);
  struct timespec times[2];
  times[0].tv_sec = seconds;
  times[0].tv_nsec = 0;
  times[1] = times[0];
  return ::utimensat(AT_FDCWD, ToUtf8(path).c_str(), times, 0) == 0;
}

bool SetFileReadOnly(const std::u16string& path, bool readOnly) {
  struct stat st {};
  if (!StatPath(path, st))
    return false;
  mode_t mode = st.st_mode & 07777;
  mode = readOnly ? (mode & ~static_cast<mode_t>(0222)) : (mode | S_IWUSR);
  return ::chmod(ToUtf8(path).c_str(), mode) == 0;
}

bool SetFilePermissions(const std::u16string& path, unsigned mode) {
  return ::chmod(ToUtf8(path).c_str(), static_cast<mode_t>(mode & 0777)) == 0;
}

}  // namespace vornel
