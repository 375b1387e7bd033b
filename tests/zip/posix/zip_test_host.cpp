// The zip tests' helpers that meet the system: the temporary folder, the shell,
// and the archive tools run from inside the test.
#include <sys/wait.h>

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

}  // namespace vornel::ziptest
