#include "platform/owned_files.h"

#include <io.h>

#include <utility>

#include "platform/file_stream.h"
#include "platform/text.h"
#include "platform/win32/wide.h"

#include <windows.h>

// After windows.h, whose types it uses.
#include <bcrypt.h>

namespace vornel {

namespace {

std::u16string CreateError(const std::u16string& path, DWORD error) {
  return u"Cannot create file \"" + path + u"\". " + SysErrorMessage(static_cast<int>(error));
}

// Six letters and digits from the system's random source.
std::u16string RandomLetters() {
  static constexpr char16_t kAlphabet[] =
      u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  unsigned char bytes[6] = {};
  // On failure the name is less random; CREATE_NEW still guards it.
  BCryptGenRandom(nullptr, bytes, sizeof bytes, BCRYPT_USE_SYSTEM_PREFERRED_RNG);
  std::u16string letters;
  for (unsigned char b : bytes)
    letters += kAlphabet[b % 62];
  return letters;
}

// The C run-time descriptor of a new file of the name (CREATE_NEW: nothing that
// was at the name is opened, a reparse point included), or the error.
int OpenNew(const std::u16string& path, DWORD& error) {
  HANDLE handle = CreateFileW(Wide(path), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    error = GetLastError();
    return -1;
  }
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), 0);
  if (fd < 0) {
    CloseHandle(handle);
    DeleteFileW(Wide(path));
    error = ERROR_TOO_MANY_OPEN_FILES;
  }
  return fd;
}

}  // namespace

// Windows has no mode bits: otherBits have no counterpart in its access lists and
// are not looked at; a reparse point (a link or a junction) is never a folder.
TFolderTrust CheckOwnFolder(const std::u16string& path, unsigned otherBits) {
  (void)otherBits;
  const DWORD attributes = GetFileAttributesW(Wide(path));
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
               ? TFolderTrust::Missing
               : TFolderTrust::NotAFolder;
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
      (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
    return TFolderTrust::NotAFolder;
  return TFolderTrust::Own;
}

// No mode bits: the new folder takes the access list of its parent.
int MakeFolder(const std::u16string& path, unsigned mode) {
  (void)mode;
  if (!CreateDirectoryW(Wide(path), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
    return static_cast<int>(GetLastError());
  return 0;
}

bool DeleteOwnFile(const std::u16string& path) {
  const DWORD attributes = GetFileAttributesW(Wide(path));
  if (attributes == INVALID_FILE_ATTRIBUTES ||
      (attributes &
       (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)) != 0)
    return false;
  return DeleteFileW(Wide(path)) != 0;
}

TNewFile TNewFile::Create(const std::u16string& path, unsigned mode) {
  (void)mode;
  DWORD error = 0;
  const int fd = OpenNew(path, error);
  if (fd < 0)
    throw EFCreateError(CreateError(path, error));
  return TNewFile(path, fd);
}

TNewFile TNewFile::CreateUnique(const std::u16string& folder, std::u16string_view stem,
                                std::u16string_view extension, unsigned mode) {
  (void)mode;
  std::u16string path;
  int fd = -1;
  DWORD error = ERROR_FILE_EXISTS;
  // Only a taken name is worth another try; anything else fails the same way.
  for (int attempt = 0; attempt < 100 && fd < 0 && error == ERROR_FILE_EXISTS; ++attempt) {
    path = folder + std::u16string(stem) + RandomLetters() + std::u16string(extension);
    fd = OpenNew(path, error);
  }
  if (fd < 0)
    throw EFCreateError(CreateError(path, error));
  return TNewFile(path, fd);
}

TNewFile::TNewFile(TNewFile&& other) noexcept
    : FPath(std::move(other.FPath)), FDescriptor(std::exchange(other.FDescriptor, -1)) {}

TNewFile& TNewFile::operator=(TNewFile&& other) noexcept {
  if (this != &other) {
    if (FDescriptor >= 0)
      _close(FDescriptor);
    FPath = std::move(other.FPath);
    FDescriptor = std::exchange(other.FDescriptor, -1);
  }
  return *this;
}

TNewFile::~TNewFile() {
  if (FDescriptor >= 0)
    _close(FDescriptor);
}

void TNewFile::Write(std::string_view bytes) {
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(FDescriptor));
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD n = 0;
    if (!WriteFile(handle, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &n,
                   nullptr))
      throw EWriteError(u"Cannot write file \"" + FPath + u"\". " +
                        SysErrorMessage(static_cast<int>(GetLastError())));
    done += n;
  }
}

}  // namespace vornel
