#include "zip/file_target.h"

#include "platform/file_system.h"
#include "platform/text.h"

#include <windows.h>

namespace vornel {

namespace {

const wchar_t* Wide(const std::u16string& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

bool IsReparsePoint(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

[[noreturn]] void RaiseLevelError(const std::u16string& level, DWORD error) {
  throw EOSError(SysErrorMessage(static_cast<int>(error)) + u" (" + level + u")",
                 static_cast<int>(error));
}

}  // namespace

// Every existing level is looked at without following it: a reparse point (a
// link or a junction) in the path is refused, so nothing is written through it.
void ArCreateDirectory(const std::u16string& path) {
  if (path.empty())
    return;
  std::size_t pos = path.find(PathDelimiter, 1);
  for (;;) {
    const std::u16string level = pos == std::u16string::npos ? path : path.substr(0, pos);
    // A drive ("C:") is no folder to create or look at.
    if (!level.empty() && !(level.size() == 2 && level[1] == u':')) {
      const DWORD attributes = GetFileAttributesW(Wide(level));
      if (IsReparsePoint(attributes))
        RaiseLevelError(level, ERROR_CANT_ACCESS_FILE);
      if (attributes == INVALID_FILE_ATTRIBUTES && !CreateDir(level))
        RaiseLevelError(level, GetLastError());
      if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        RaiseLevelError(level, ERROR_DIRECTORY);
    }
    if (pos == std::u16string::npos)
      break;
    pos = path.find(PathDelimiter, pos + 1);
  }
}

std::unique_ptr<TFileStream> ArCreateTargetFile(const std::u16string& path) {
  const DWORD attributes = GetFileAttributesW(Wide(path));
  if (IsReparsePoint(attributes)) {
    // The link itself goes, never what it points at.
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
      RemoveDirectoryW(Wide(path));
    else
      DeleteFileW(Wide(path));
  } else if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    throw EFCreateError(u"Cannot create file \"" + path + u"\". " +
                        SysErrorMessage(ERROR_ACCESS_DENIED));
  }
  return std::make_unique<TFileStream>(path, fmCreate);
}

// As on Linux; Windows keeps of the permission bits only the owner's write bit
// (the read-only attribute).
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
