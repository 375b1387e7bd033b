// Running netget through the shell, as its users run it.
#include <sys/wait.h>

#include <cstdlib>

#include "netget_test.h"

namespace vornel::test {

namespace {

std::string Quote(const std::string& text) {
  std::string out = "'";
  for (char c : text)
    out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

}  // namespace

TRun RunProgram(const fs::path& program, const std::vector<std::string>& args,
                const std::vector<std::string>& env, const fs::path& cwd, const fs::path& scratch) {
  std::string command = cwd.empty() ? "" : "cd " + Quote(cwd.string()) + " && ";
  command += "env";
  for (const std::string& e : env)
    command += " " + Quote(e);
  command += " " + Quote(program.string());
  for (const std::string& a : args)
    command += " " + Quote(a);
  const fs::path out = scratch / "stdout", err = scratch / "stderr";
  command += " >" + Quote(out.string()) + " 2>" + Quote(err.string()) + " </dev/null";
  const int status = std::system(command.c_str());
  TRun run;
  run.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.Out = ReadAll(out);
  run.Err = ReadAll(err);
  return run;
}

fs::path NetgetProgram() {
  return VORNEL_NETGET;
}

}  // namespace vornel::test
