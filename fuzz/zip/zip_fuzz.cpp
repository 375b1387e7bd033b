// Arbitrary bytes opened as a zip archive, every item extracted into a fresh
// temporary folder and tested. Nothing may crash or hang, and nothing may be
// written outside that folder.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/text.h"
#include "zip/unzipper.h"

namespace {

namespace fs = std::filesystem;

// Two folders side by side: the base folder, and a sentinel that must stay empty.
struct TWorkspace {
  fs::path Root;
  TWorkspace() {
    std::string pattern = (fs::temp_directory_path() / "vornel-zip-fuzz-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
      std::abort();
    Root = pattern;
    fs::create_directories(Root / "base" / "deep");
    fs::create_directories(Root / "sentinel");
  }
  ~TWorkspace() {
    std::error_code ignored;
    for (auto it = fs::recursive_directory_iterator(Root, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
      if (!it->is_symlink()) {
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
      }
    }
    fs::remove_all(Root, ignored);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vornel;
  TWorkspace workspace;
  const fs::path archivePath = workspace.Root / "input.zip";
  {
    std::ofstream out(archivePath, std::ios::binary);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  {
    TArUnZipper unzipper;
    unzipper.SetPassword(u"fuzz");
    unzipper.OnNeedPassword = [](TArUnZipper&, std::u16string& password) { password.clear(); };
    unzipper.OnProcessItemFailure = [](TArUnZipper&, TArZipItem&, TArProcessType, TArErrorClass,
                                       int) {};
    // The base folder lies two levels down, so that "../" names have somewhere to go.
    const fs::path base = workspace.Root / "base" / "deep";
    try {
      unzipper.SetExtractOptions(eoCreateDirs | eoRestorePath);
      unzipper.SetFileName(FromUtf8(archivePath.string()));
      unzipper.SetBaseDirectory(FromUtf8(base.string()));
      unzipper.ExtractFiles(u"*.*");
    } catch (const std::exception&) {
    }
    try {
      if (unzipper.Count() > 0 && unzipper.Status() != asInvalid) {
        unzipper.TagItems(u"*.*");
        unzipper.TestTaggedItems();
      }
    } catch (const std::exception&) {
    }
  }
  // Only the archive itself and the base folder's tree may exist.
  for (const auto& entry : fs::directory_iterator(workspace.Root)) {
    const std::string name = entry.path().filename().string();
    if (name != "input.zip" && name != "base" && name != "sentinel")
      std::abort();
  }
  if (!fs::is_empty(workspace.Root / "sentinel"))
    std::abort();
  for (const auto& entry : fs::directory_iterator(workspace.Root / "base")) {
    if (entry.path().filename() != "deep")
      std::abort();
  }
  return 0;
}
