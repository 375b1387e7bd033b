// The zip tests' helpers that meet the system: the temporary folder, the shell
// (cmd.exe), and the archives that the build made beforehand with the tools of
// the building system (tests/zip/make_archives.py), since those do not run here.
#include <cstdlib>
#include <random>
#include <stdexcept>

#include "zip_test_support.h"

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
  // cmd.exe gives the command's exit code itself.
  return std::system(full.c_str());
}

std::string ShellWord(const fs::path& path) {
  return "\"" + fs::path(path).make_preferred().string() + "\"";
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

}  // namespace vornel::ziptest
