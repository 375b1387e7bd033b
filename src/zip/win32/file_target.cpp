// The Windows file side of extraction. Windows opens by path only, so every
// level is opened by its whole path, but never through a reparse point (a
// symbolic link or a junction): each existing level is opened as the reparse
// point itself and refused when it is one, or when it is no folder.
#include "zip/file_target.h"

#include <algorithm>
#include <ctime>

#include "platform/clock.h"
#include "platform/file_stream.h"
#include "platform/file_system.h"
#include "platform/native_io.h"
#include "platform/text.h"
#include "wide.h"
#include "zip/ar_exceptions.h"

#include <windows.h>

namespace vornel {

namespace {

HANDLE Native(std::intptr_t fd) {
  return reinterpret_cast<HANDLE>(fd);
}

std::intptr_t Value(HANDLE handle) {
  return reinterpret_cast<std::intptr_t>(handle);
}

[[noreturn]] void FailOnLevel(DWORD error, const std::u16string& display) {
  throw EOSError(SysErrorMessage(static_cast<int>(error)) + u" (" + display + u")",
                 static_cast<int>(error));
}

std::u16string Join(const std::u16string& folder, const std::u16string& name) {
  if (folder.empty())
    return name;
  if (folder.back() == PathDelimiter || folder.back() == u'/')
    return folder + name;
  return folder + PathDelimiter + name;
}

DWORD AttributesOf(HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(handle, &info))
    return INVALID_FILE_ATTRIBUTES;
  return info.dwFileAttributes;
}

// Opens a folder for its attributes, to set them when this user may, else to
// read them. Others may read and write in it, but it cannot be renamed or
// removed while it is held.
HANDLE OpenFolder(const std::u16string& path, DWORD flags) {
  const auto open = [&](DWORD access) {
    return CreateFileW(Wide(path), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr);
  };
  const HANDLE handle = open(FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES);
  if (handle != INVALID_HANDLE_VALUE || GetLastError() != ERROR_ACCESS_DENIED)
    return handle;
  return open(FILE_READ_ATTRIBUTES);
}

}  // namespace

TArHandle::~TArHandle() {
  if (FFd != -1)
    CloseHandle(Native(FFd));
}

std::int64_t TArHandleStream::Read(void*, std::int64_t) {
  throw EReadError(u"Stream read error");
}

std::int64_t TArHandleStream::Write(const void* buffer, std::int64_t count) {
  if (const int error = NativeWriteAll(FHandle.Fd(), buffer, count))
    throw EWriteError(u"Stream write error. " + SysErrorMessage(error));
  return count;
}

std::int64_t TArHandleStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  std::int64_t position = 0;
  if (NativeSeek(FHandle.Fd(), offset, origin, position) != 0)
    throw EStreamError(u"Stream seek error");
  return position;
}

void TArHandleStream::SetSize(std::int64_t newSize) {
  const std::int64_t position = Seek(0, soCurrent);
  Seek(newSize, soBeginning);
  const bool done = SetEndOfFile(Native(FHandle.Fd())) != 0;
  const DWORD error = GetLastError();
  Seek(std::min(position, newSize), soBeginning);
  if (!done)
    throw EWriteError(u"Stream write error. " + SysErrorMessage(static_cast<int>(error)));
}

// The trusted folder is followed as it is, a link included.
TArHandle ArOpenBaseFolder(const TArTargetPath& target) {
  const std::u16string path = target.Base.empty() ? std::u16string(u".") : target.Base;
  const HANDLE handle = OpenFolder(path, 0);
  if (handle == INVALID_HANDLE_VALUE)
    FailOnLevel(GetLastError(), path);
  TArHandle folder(Value(handle), path);
  if ((AttributesOf(handle) & FILE_ATTRIBUTE_DIRECTORY) == 0)
    FailOnLevel(ERROR_DIRECTORY, path);
  return folder;
}

// Each level is held open, so it stays where it is, until the next one is.
TArHandle ArOpenFolderLevels(TArHandle folder, const TArTargetPath& target, std::size_t count) {
  for (std::size_t i = 0; i < count && i < target.Levels.size(); ++i) {
    const std::u16string path = Join(folder.Path(), target.Levels[i]);
    const std::u16string display = target.DisplayOf(i + 1);
    if (!CreateDirectoryW(Wide(path), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
      FailOnLevel(GetLastError(), display);
    const HANDLE handle = OpenFolder(path, FILE_FLAG_OPEN_REPARSE_POINT);
    if (handle == INVALID_HANDLE_VALUE)
      FailOnLevel(GetLastError(), display);
    TArHandle level(Value(handle), path);
    const DWORD attributes = AttributesOf(handle);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
      throw EOSError(u"A link or junction is in the way, it is not followed (" + display + u")",
                     ERROR_CANT_ACCESS_FILE);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
      FailOnLevel(ERROR_DIRECTORY, display);
    folder = std::move(level);
  }
  return folder;
}

std::unique_ptr<TArHandleStream> ArCreateTargetFile(const TArHandle& folder,
                                                    const std::u16string& name,
                                                    const std::u16string& display) {
  const std::u16string path = Join(folder.Path(), name);
  const auto fail = [&display](DWORD error) {
    throw EFCreateError(u"Cannot create file \"" + display + u"\". " +
                        SysErrorMessage(static_cast<int>(error)));
  };
  // What lies there is looked at as it is, not through a reparse point.
  const DWORD attributes = GetFileAttributesW(Wide(path));
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    const bool link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    const bool isFolder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (isFolder && !link)
      fail(ERROR_DIRECTORY);
    if (!link && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
      fail(ERROR_ACCESS_DENIED);
    // A new file in its place: a link goes itself, never what it points at; a
    // hard link keeps the old content for its other names.
    const BOOL removed = isFolder ? RemoveDirectoryW(Wide(path)) : DeleteFileW(Wide(path));
    if (!removed && GetLastError() != ERROR_FILE_NOT_FOUND)
      fail(GetLastError());
  }
  const HANDLE handle =
      CreateFileW(Wide(path), GENERIC_WRITE | FILE_READ_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE)
    fail(GetLastError());
  return std::make_unique<TArHandleStream>(TArHandle(Value(handle), path));
}

void ArRemoveTargetFile(const TArHandle& folder, const std::u16string& name) {
  DeleteFileW(Wide(Join(folder.Path(), name)));
}

// As on Linux; of the permission bits Windows keeps only the owner's write bit
// (the read-only attribute), and a folder takes none.
void ArApplyItemTimeAndAttributes(const TArZipItem& item, std::intptr_t fd) {
  const HANDLE handle = Native(fd);
  try {
    const std::time_t seconds = LocalDateTimeToUnix(item.LastModTimeAsDateTime());
    // 100-nanosecond intervals since 1601-01-01.
    const std::uint64_t ticks = static_cast<std::uint64_t>(seconds + 11644473600LL) * 10000000ULL;
    const FILETIME time{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    SetFileTime(handle, nullptr, nullptr, &time);
  } catch (const EConvertError&) {
    // Writers that store no date (0) or an impossible one: the time stays.
  }
  if (item.IsDirectory())
    return;
  bool readOnly = (item.NativeFileAttributes() & faReadOnly) != 0;
  const std::uint32_t mode = item.UnixMode();
  if (item.HasUnixMode() && (mode & 0777) != 0)
    readOnly = (mode & 0xF000) != 0xA000 && (mode & 0200) == 0;
  FILE_BASIC_INFO info{};
  if (!GetFileInformationByHandleEx(handle, FileBasicInfo, &info, sizeof info))
    return;
  DWORD attributes = info.FileAttributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL);
  attributes = readOnly ? (attributes | FILE_ATTRIBUTE_READONLY)
                        : (attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  info.FileAttributes = attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
  // Zero times are left as they are.
  info.CreationTime.QuadPart = 0;
  info.LastAccessTime.QuadPart = 0;
  info.LastWriteTime.QuadPart = 0;
  info.ChangeTime.QuadPart = 0;
  SetFileInformationByHandle(handle, FileBasicInfo, &info, sizeof info);
}

}  // namespace vornel
