// netget as its users run it: a separate process against nginx and a scripted
// server on loopback, its exit code, its output and the files it writes. The
// cases are shared; running a program and the case of planted libraries have a
// POSIX and a Windows part.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "nginx_server.h"
#include "support/temp_dir.h"

namespace vornel::test {

namespace fs = std::filesystem;

inline std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

inline std::string Narrow(const std::u16string& text) {
  return {text.begin(), text.end()};
}

struct TRun {
  int ExitCode = -1;
  std::string Out, Err;
};

// Runs program with the arguments and environment settings ("NAME=value") in
// the folder cwd (empty: this process's), standard input empty, standard output
// and error into the files "stdout" and "stderr" of scratch.
TRun RunProgram(const fs::path& program, const std::vector<std::string>& args,
                const std::vector<std::string>& env, const fs::path& cwd, const fs::path& scratch);

// The netget program of the build, as this process runs it.
fs::path NetgetProgram();

class Netget : public ::testing::Test {
 protected:
  TRun Run(const std::vector<std::string>& args, const std::vector<std::string>& env = {},
           const fs::path& program = NetgetProgram(), const fs::path& cwd = {}) {
    return RunProgram(program, args, env, cwd, Dir.Path());
  }
  // OpenSSL's default trust store is the test CA of that server.
  static std::string Trust(const TNginxServer& server) {
    return "SSL_CERT_FILE=" + server.CAFile();
  }

  // The copy of netget in the folder, beside the planted libraries, downloads
  // /files/set.zip ("the set") over TLS from another working folder and from its
  // own, and the planted code (which would create the marker) never runs.
  void ExpectPlantedCodeNeverRuns(const TNginxServer& server, const fs::path& program,
                                  const fs::path& folder, const fs::path& marker) {
    for (const fs::path& cwd : {Dir.Path(), folder}) {
      const fs::path target = Dir.Path() / "set.zip";
      const TRun run =
          Run({Narrow(server.TLSUrl("/files/set.zip")), target.string()},
              {Trust(server), "VORNEL_PLANTED_MARKER=" + marker.string()}, program, cwd);
      EXPECT_EQ(run.ExitCode, 0) << run.Err;
      EXPECT_EQ(ReadAll(target), "the set");
      EXPECT_FALSE(fs::exists(marker)) << "run in " << cwd;
    }
  }

  testing::TTempDir Dir;
};

}  // namespace vornel::test
