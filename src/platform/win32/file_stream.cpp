#include "platform/file_stream.h"

#include <fcntl.h>
#include <io.h>

#include "platform/native_io.h"
#include "platform/text.h"
#include "platform/win32/wide.h"

#include <windows.h>

namespace vornel {

namespace {

std::u16string FileError(const char16_t* what, const std::u16string& fileName, DWORD error) {
  return std::u16string(what) + u" \"" + fileName + u"\". " +
         SysErrorMessage(static_cast<int>(error));
}

// The design's share values as CreateFileW's share mode.
DWORD ShareMode(std::uint16_t mode) {
  switch (mode & 0x00F0) {
    case fmShareExclusive:
      return 0;
    case fmShareDenyWrite:
      return FILE_SHARE_READ;
    case fmShareDenyRead:
      return FILE_SHARE_WRITE;
    default:
      return FILE_SHARE_READ | FILE_SHARE_WRITE;
  }
}

}  // namespace

// The stream keeps the C run-time's descriptor of the handle (the interface's
// Handle()), which owns the handle and closes it.
TFileStream::TFileStream(const std::u16string& fileName, std::uint16_t mode) : FFileName(fileName) {
  HANDLE handle = INVALID_HANDLE_VALUE;
  if (mode == fmCreate || (mode & 0xFF00) == fmCreate) {
    handle = CreateFileW(Wide(fileName), GENERIC_READ | GENERIC_WRITE,
                         mode == fmCreate ? FILE_SHARE_READ : ShareMode(mode), nullptr,
                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
      throw EFCreateError(FileError(u"Cannot create file", fileName, GetLastError()));
  } else {
    DWORD access = GENERIC_READ;
    if ((mode & 0x0003) == fmOpenWrite)
      access = GENERIC_WRITE;
    if ((mode & 0x0003) == fmOpenReadWrite)
      access = GENERIC_READ | GENERIC_WRITE;
    handle = CreateFileW(Wide(fileName), access, ShareMode(mode), nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      DWORD error = GetLastError();
      // A folder opens as "access denied"; say what it is.
      if (error == ERROR_ACCESS_DENIED &&
          (GetFileAttributesW(Wide(fileName)) & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
          GetFileAttributesW(Wide(fileName)) != INVALID_FILE_ATTRIBUTES)
        error = ERROR_DIRECTORY;
      throw EFOpenError(FileError(u"Cannot open file", fileName, error));
    }
  }
  FHandle = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY);
  if (FHandle < 0) {
    CloseHandle(handle);
    throw EFOpenError(FileError(u"Cannot open file", fileName, ERROR_TOO_MANY_OPEN_FILES));
  }
}

TFileStream::~TFileStream() {
  if (FHandle >= 0)
    _close(FHandle);
}

std::int64_t TFileStream::Read(void* buffer, std::int64_t count) {
  auto* out = static_cast<char*>(buffer);
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(FHandle));
  std::int64_t done = 0;
  while (done < count) {
    const auto chunk = static_cast<DWORD>(std::min<std::int64_t>(count - done, 1 << 30));
    DWORD n = 0;
    if (!ReadFile(handle, out + done, chunk, &n, nullptr))
      throw EReadError(FileError(u"Cannot read file", FFileName, GetLastError()));
    if (n == 0)
      break;
    done += n;
  }
  return done;
}

std::int64_t TFileStream::Write(const void* buffer, std::int64_t count) {
  if (const int error = NativeWriteAll(_get_osfhandle(FHandle), buffer, count))
    throw EWriteError(FileError(u"Cannot write file", FFileName, static_cast<DWORD>(error)));
  return count;
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  std::int64_t position = 0;
  if (const int error = NativeSeek(_get_osfhandle(FHandle), offset, origin, position))
    throw EStreamError(FileError(u"Cannot seek in file", FFileName, static_cast<DWORD>(error)));
  return position;
}

void TFileStream::SetSize(std::int64_t newSize) {
  const std::int64_t position = Position();
  Seek(newSize, soBeginning);
  if (!SetEndOfFile(reinterpret_cast<HANDLE>(_get_osfhandle(FHandle))))
    throw EStreamError(FileError(u"Cannot set the size of file", FFileName, GetLastError()));
  Seek(position > newSize ? newSize : position, soBeginning);
}

}  // namespace vornel
