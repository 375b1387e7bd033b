#include "platform/file_system.h"

#include <cmath>

#include "platform/clock.h"
#include "platform/text.h"
#include "platform/win32/wide.h"

#include <windows.h>
// The interface's own name, not the macro of the wide-character interface.
#undef DeleteFile

namespace vornel {

namespace {

DWORD Attributes(const std::u16string& path) {
  return GetFileAttributesW(Wide(path));
}

bool IsFolder(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

bool FileExists(const std::u16string& path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && !IsFolder(attributes);
}

bool DirectoryExists(const std::u16string& path) {
  return IsFolder(Attributes(path));
}

std::int64_t FileSize(const std::u16string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(Wide(path), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return -1;
  return (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool DeleteFile(const std::u16string& path) {
  return DeleteFileW(Wide(path)) != 0;
}

bool RemoveDir(const std::u16string& path) {
  return RemoveDirectoryW(Wide(path)) != 0;
}

bool CreateDir(const std::u16string& path) {
  if (CreateDirectoryW(Wide(path), nullptr))
    return true;
  return GetLastError() == ERROR_ALREADY_EXISTS && DirectoryExists(path);
}

bool ForceDirectories(const std::u16string& path) {
  const std::u16string dir = ExcludeTrailingPathDelimiter(path);
  // A drive ("C:") or the root of one is always there.
  if (dir.empty() || DirectoryExists(dir) || (dir.size() == 2 && dir[1] == u':'))
    return !dir.empty();
  const std::u16string parent = ExcludeTrailingPathDelimiter(ExtractFilePath(dir));
  if (!parent.empty() && parent != dir && !DirectoryExists(parent) && !ForceDirectories(parent)) {
    return false;
  }
  return CreateDir(dir);
}

bool SetFileLastWriteTime(const std::u16string& path, double localDateTime) {
  const std::time_t seconds = LocalDateTimeToUnix(localDateTime);
  const std::int64_t ticks = static_cast<std::int64_t>(seconds) * 10000000LL + 116444736000000000LL;
  const FILETIME time{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  HANDLE handle = CreateFileW(Wide(path), FILE_WRITE_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE)
    return false;
  const bool done = SetFileTime(handle, nullptr, &time, &time) != 0;
  CloseHandle(handle);
  return done;
}

bool SetFileReadOnly(const std::u16string& path, bool readOnly) {
  const DWORD attributes = Attributes(path);
  if (attributes == INVALID_FILE_ATTRIBUTES)
    return false;
  const DWORD changed = readOnly ? (attributes | FILE_ATTRIBUTE_READONLY)
                                 : (attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  return SetFileAttributesW(Wide(path), changed == 0 ? FILE_ATTRIBUTE_NORMAL : changed) != 0;
}

// Windows keeps no execute or group bits: the owner's write bit is the read-only
// attribute, the rest has no counterpart.
bool SetFilePermissions(const std::u16string& path, unsigned mode) {
  return SetFileReadOnly(path, (mode & 0200) == 0);
}

}  // namespace vornel
