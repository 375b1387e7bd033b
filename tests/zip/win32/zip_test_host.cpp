// The zip tests' helpers that meet the system: the temporary folder, the shell
// (cmd.exe), and the archives that the build made beforehand with the tools of
// the building system (tests/zip/make_archives.py), since those do not run here.
#include <cstdlib>
#include <random>
#include <stdexcept>

#include "platform/code_page.h"
#include "platform/text.h"
#include "zip_test_support.h"

#include <windows.h>

namespace vornel::ziptest {

namespace {

// A path of the building system (from the build or its environment): Wine shows
// that system's root as drive Z:.
fs::path FromBuildingSystem(const std::string& path) {
  fs::path native = path.starts_with('/') ? "Z:" + path : path;
  return native.make_preferred();
}

}  // namespace

TTempDir::TTempDir() {
  std::random_device random;
  const fs::path base = fs::temp_directory_path();
  do {
    FPath = base / ("vornel-zip-" + std::to_string(random()));
  } while (!fs::create_directory(FPath));
}

int RunShell(const std::string& command, const fs::path& folder) {
  const std::string full =
      folder.empty() ? command : "cd /d " + ShellWord(folder) + " && " + command;
  // cmd.exe gives the command's exit code itself. It drops the first and the last
  // quote of a command that starts with one: the outer pair keeps the command's own.
  // The command goes wide, as no ANSI code page holds every name.
  const std::u16string wide = FromUtf8("\"" + full + "\"");
  return _wsystem(reinterpret_cast<const wchar_t*>(wide.c_str()));
}

// In UTF-8, as RunShell takes it.
std::string ShellWord(const fs::path& path) {
  const std::u8string text = fs::path(path).make_preferred().u8string();
  return "\"" + std::string(text.begin(), text.end()) + "\"";
}

fs::path BuiltProgram(const std::string& path) {
  return FromBuildingSystem(path);
}

void MakeArchives(const std::string& recipe, const fs::path& folder) {
  const char* made = std::getenv("VORNEL_ZIP_ARCHIVES");
  if (!made)
    throw std::runtime_error("VORNEL_ZIP_ARCHIVES is not set");
  const fs::path source = FromBuildingSystem(made) / recipe;
  if (!fs::is_directory(source))
    throw std::runtime_error("no archives of " + recipe + " in " + source.string());
  fs::create_directories(folder);
  fs::copy(source, folder, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

fs::path FixtureDir() {
  return FromBuildingSystem(VORNEL_SOURCE_DIR) / "tests" / "fixtures";
}

std::string StoredMode(unsigned unixMode) {
  return (unixMode & 0200) != 0 ? "writable" : "read-only";
}

std::string FileMode(const fs::path& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES)
    return "missing";
  return (attributes & FILE_ATTRIBUTE_READONLY) != 0 ? "read-only" : "writable";
}

bool AnyoneMayWrite(const fs::path& path) {
  return FileMode(path) == "writable";
}

// A hard link needs a file to name: one is made where none is yet.
void PlantFileLink(const fs::path& target, const fs::path& link) {
  if (!fs::exists(target))
    WriteFile(target, std::string("outside"));
  fs::create_hard_link(target, link);
}

std::string EntryIdentity(const fs::path& path) {
  const HANDLE handle = CreateFileW(
      path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE)
    return "missing";
  BY_HANDLE_FILE_INFORMATION info{};
  const bool known = GetFileInformationByHandle(handle, &info) != 0;
  CloseHandle(handle);
  if (!known)
    return "unknown";
  const std::uint64_t index = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
  return std::to_string(info.dwFileAttributes) + " " + std::to_string(info.dwVolumeSerialNumber) +
         ":" + std::to_string(index);
}

TLocale::TLocale(const char* name) {
  const TCodePages wanted = CodePagesForLocale(name);
  FActive = AnsiCodePage() == wanted.Ansi && OemCodePage() == wanted.Oem;
}

TLocale::~TLocale() = default;

}  // namespace vornel::ziptest
