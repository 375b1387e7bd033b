// The zip tests' helpers that meet the system: the temporary folder, the shell,
// and the archive tools run from inside the test.
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "zip_test_support.h"

namespace vornel::ziptest {

TTempDir::TTempDir() {
  std::string pattern = (fs::temp_directory_path() / "vornel-zip-XXXXXX").string();
  if (!::mkdtemp(pattern.data()))
    throw std::runtime_error("mkdtemp failed");
  FPath = pattern;
}

int RunShell(const std::string& command, const fs::path& folder) {
  const std::string full = folder.empty() ? command : "cd " + ShellWord(folder) + " && " + command;
  const int status = std::system(full.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ShellWord(const fs::path& path) {
  return "'" + path.string() + "'";
}

fs::path BuiltProgram(const std::string& path) {
  return path;
}

void MakeArchives(const std::string& recipe, const fs::path& folder) {
  const fs::path script = fs::path(VORNEL_SOURCE_DIR) / "tests" / "zip" / "make_archives.py";
  if (RunShell("python3 " + ShellWord(script) + " " + recipe + " " + ShellWord(folder)) != 0)
    throw std::runtime_error("make_archives.py " + recipe + " failed");
}

fs::path FixtureDir() {
  return fs::path(VORNEL_SOURCE_DIR) / "tests" / "fixtures";
}

std::string StoredMode(unsigned unixMode) {
  char text[8];
  std::snprintf(text, sizeof text, "%04o", unixMode & 07777);
  return text;
}

std::string FileMode(const fs::path& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0)
    return "missing";
  return StoredMode(st.st_mode & 07777);
}

bool AnyoneMayWrite(const fs::path& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && (st.st_mode & 0222) != 0;
}

void PlantFileLink(const fs::path& target, const fs::path& link) {
  fs::create_symlink(target, link);
}

std::string EntryIdentity(const fs::path& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0)
    return "missing";
  return std::to_string(st.st_mode) + " " + std::to_string(st.st_ino);
}

TLocale::TLocale(const char* name) {
  for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* old = std::getenv(variable);
    FSaved.push_back({variable, old ? std::string(old) : std::string(), old != nullptr});
    ::unsetenv(variable);
  }
  ::setenv("LANG", name, 1);
}

TLocale::~TLocale() {
  for (const auto& s : FSaved) {
    if (s.Set)
      ::setenv(s.Name, s.Value.c_str(), 1);
    else
      ::unsetenv(s.Name);
  }
}

}  // namespace vornel::ziptest
