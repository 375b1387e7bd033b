// The three product programs as built: each one a program of the window
// subsystem that carries the manifest (common controls 6, the invoker's rights,
// the system's DPI awareness), the picture and version information naming
// Vornel and its product, and that imports only the system's libraries.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace vornel {
namespace {

const std::filesystem::path ProductFolder = VORNEL_PRODUCT_FOLDER;

std::wstring VersionString(const std::filesystem::path& file, const wchar_t* name) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
  if (size == 0)
    return L"";
  std::vector<char> data(size);
  if (!GetFileVersionInfoW(file.c_str(), 0, size, data.data()))
    return L"";
  void* value = nullptr;
  UINT length = 0;
  const std::wstring key = std::wstring(L"\\StringFileInfo\\040504B0\\") + name;
  if (!VerQueryValueW(data.data(), key.c_str(), &value, &length) || length == 0)
    return L"";
  return static_cast<const wchar_t*>(value);
}

// The program's resource of that type and name, as bytes.
std::string Resource(HMODULE module, const wchar_t* type, const wchar_t* name) {
  HRSRC found = FindResourceW(module, name, type);
  if (found == nullptr)
    return {};
  const void* data = LockResource(LoadResource(module, found));
  return std::string(static_cast<const char*>(data), SizeofResource(module, found));
}

TEST(ProductExecutablesTest, EachCarriesItsProductAndTheManifest) {
  const struct {
    const wchar_t* File;
    const wchar_t* Product;
  } rows[] = {
      {L"InstallTarvo.exe", L"Účetní průvodce Tarvo"},
      {L"InstallTarvoNET.exe", L"Účetní průvodce Tarvo"},
      {L"InstallKveloWin.exe", L"Kvelo pro Windows"},
  };
  for (const auto& row : rows) {
    const std::filesystem::path file = ProductFolder / row.File;
    SCOPED_TRACE(file.string());
    ASSERT_TRUE(std::filesystem::exists(file));
    EXPECT_EQ(VersionString(file, L"CompanyName"), L"Vornel, a.s.");
    EXPECT_EQ(VersionString(file, L"ProductName"), row.Product);
    EXPECT_EQ(VersionString(file, L"FileDescription"),
              std::wstring(L"Vornel instalátor: ") + row.Product);
    EXPECT_EQ(VersionString(file, L"OriginalFilename"), row.File);

    HMODULE module = LoadLibraryExW(file.c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module, nullptr);
    const std::string manifest =
        Resource(module, MAKEINTRESOURCEW(24), MAKEINTRESOURCEW(1));  // RT_MANIFEST
    EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_NE(manifest.find("version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
    EXPECT_NE(manifest.find(">system</dpiAwareness>"), std::string::npos);
    const std::string picture = Resource(module, MAKEINTRESOURCEW(10), L"PICTURE");  // RT_RCDATA
    EXPECT_EQ(picture.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    FreeLibrary(module);
  }
}

// The names of the libraries a program imports, from its import directory.
std::vector<std::string> ImportedLibraries(const std::filesystem::path& file, WORD& subsystem) {
  std::ifstream in(file, std::ios::binary);
  const std::string image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::string> names;
  if (image.size() < sizeof(IMAGE_DOS_HEADER))
    return names;
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image.data());
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(image.data() + dos->e_lfanew);
  subsystem = nt->OptionalHeader.Subsystem;
  const IMAGE_DATA_DIRECTORY& directory =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  const auto* sections = IMAGE_FIRST_SECTION(nt);
  auto offsetOf = [&](DWORD rva) -> size_t {
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i) {
      const IMAGE_SECTION_HEADER& s = sections[i];
      if (rva >= s.VirtualAddress && rva < s.VirtualAddress + s.Misc.VirtualSize)
        return rva - s.VirtualAddress + s.PointerToRawData;
    }
    return 0;
  };
  const size_t first = offsetOf(directory.VirtualAddress);
  for (size_t at = first; at != 0 && at + sizeof(IMAGE_IMPORT_DESCRIPTOR) <= image.size();
       at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
    const auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(image.data() + at);
    if (entry->Name == 0)
      break;
    std::string name = image.c_str() + offsetOf(entry->Name);
    for (char& c : name)
      c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    names.push_back(name);
  }
  return names;
}

TEST(ProductExecutablesTest, SelfContainedWindowPrograms) {
  // What Windows itself provides; nothing of the compiler's runtime, no TLS library.
  const std::vector<std::string> system = {
      "advapi32.dll", "bcrypt.dll",        "comctl32.dll", "comdlg32.dll",
      "crypt32.dll",  "gdi32.dll",         "kernel32.dll", "msimg32.dll",
      "msvcrt.dll",   "ole32.dll",         "shell32.dll",  "user32.dll",
      "ws2_32.dll",   "windowscodecs.dll", "oleaut32.dll", "secur32.dll",
      "shlwapi.dll",  "normaliz.dll",      "userenv.dll",  "api-ms-win-core-synch-l1-2-0.dll"};
  for (const wchar_t* name :
       {L"InstallTarvo.exe", L"InstallTarvoNET.exe", L"InstallKveloWin.exe"}) {
    SCOPED_TRACE(std::filesystem::path(name).string());
    WORD subsystem = 0;
    const std::vector<std::string> imports = ImportedLibraries(ProductFolder / name, subsystem);
    EXPECT_EQ(subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
    ASSERT_FALSE(imports.empty());
    for (const std::string& library : imports) {
      EXPECT_NE(std::find(system.begin(), system.end(), library), system.end()) << library;
    }
  }
}

}  // namespace
}  // namespace vornel
