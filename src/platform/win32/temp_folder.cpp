#include "platform/temp_folder.h"

#include <string>

#include "platform/file_system.h"
#include "platform/owned_files.h"
#include "platform/private_folder.h"
#include "platform/text.h"
#include "platform/win32/wide.h"

#include <windows.h>

// After windows.h, whose types it uses.
#include <bcrypt.h>

namespace vornel {

namespace {

std::u16string RandomSuffix() {
  static constexpr char16_t kAlphabet[] =
      u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  unsigned char bytes[6] = {};
  BCryptGenRandom(nullptr, bytes, sizeof bytes, BCRYPT_USE_SYSTEM_PREFERRED_RNG);
  std::u16string letters;
  for (unsigned char b : bytes)
    letters += kAlphabet[b % 62];
  return letters;
}

}  // namespace

// A reparse point planted at the name is refused, never followed.
std::u16string OwnFolder(const std::u16string& folder) {
  if (!CreateDirectoryW(Wide(folder), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
    return {};
  if (CheckOwnFolder(folder, 0077) != TFolderTrust::Own)
    return {};
  return IncludeTrailingPathDelimiter(folder);
}

std::u16string FreshFolder(const std::u16string& base, const std::u16string& stem) {
  // A new folder under a name nothing held before (CreateDirectoryW fails on any).
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::u16string folder = IncludeTrailingPathDelimiter(base) + stem + RandomSuffix();
    if (CreateDirectoryW(Wide(folder), nullptr))
      return IncludeTrailingPathDelimiter(folder);
    if (GetLastError() != ERROR_ALREADY_EXISTS)
      return {};
  }
  return {};
}

// GetTempPathW is already the user's own folder; its long form, as designed.
std::u16string UserTempFolder() {
  wchar_t shortPath[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathW(MAX_PATH + 1, shortPath);
  if (length == 0 || length > MAX_PATH)
    return {};
  wchar_t longPath[32768] = {};
  const DWORD longLength = GetLongPathNameW(shortPath, longPath, 32768);
  if (longLength == 0 || longLength >= 32768)
    return IncludeTrailingPathDelimiter(FromWide(shortPath, length));
  return IncludeTrailingPathDelimiter(FromWide(longPath, longLength));
}

// UserTempFolder makes no folder of its own here.
bool IsOwnFreshTempFolder(const std::u16string&) {
  return false;
}

std::u16string ExecutablePath() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0)
      return {};
    if (n < buffer.size())
      return FromWide(buffer.data(), n);
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace vornel
