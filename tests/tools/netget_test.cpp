// netget as its users run it: a separate process against nginx and a scripted
// server on loopback, its exit code, its output and the files it writes.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "nginx_server.h"
#include "scripted_server.h"
#include "support/temp_dir.h"

namespace vornel {
namespace {

namespace fs = std::filesystem;
using test::Reply;
using test::TNginxServer;
using test::TScriptedServer;
using test::TScriptStep;
using testing::TTempDir;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::string Quote(const std::string& text) {
  std::string out = "'";
  for (char c : text)
    out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

std::string Narrow(const std::u16string& text) {
  return {text.begin(), text.end()};
}

struct TRun {
  int ExitCode = -1;
  std::string Out, Err;
};

class Netget : public ::testing::Test {
 protected:
  // Runs program (netget or a copy) with the arguments and environment settings
  // ("NAME=value") in the folder cwd, standard output and error into files.
  TRun Run(const std::vector<std::string>& args, const std::vector<std::string>& env = {},
           const fs::path& program = VORNEL_NETGET, const fs::path& cwd = {}) {
    std::string command = cwd.empty() ? "" : "cd " + Quote(cwd.string()) + " && ";
    command += "env";
    for (const std::string& e : env)
      command += " " + Quote(e);
    command += " " + Quote(program.string());
    for (const std::string& a : args)
      command += " " + Quote(a);
    const fs::path out = Dir.Path() / "stdout", err = Dir.Path() / "stderr";
    command += " >" + Quote(out.string()) + " 2>" + Quote(err.string()) + " </dev/null";
    const int status = std::system(command.c_str());
    TRun run;
    run.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.Out = ReadAll(out);
    run.Err = ReadAll(err);
    return run;
  }
  // OpenSSL's default trust store is the test CA of that server.
  static std::string Trust(const TNginxServer& server) {
    return "SSL_CERT_FILE=" + server.CAFile();
  }

  TTempDir Dir;
};

TEST_F(Netget, FetchesFromAServerWithAnIntermediateCA) {
  for (const char* certificate : {"server", "two-intermediates"}) {
    SCOPED_TRACE(certificate);
    TNginxServer server(true, std::nullopt, certificate);
    if (!server.Running())
      GTEST_SKIP() << "nginx is not available";
    server.WriteFile("files/set.zip", std::string(70000, 'z'));
    const fs::path target = Dir.Path() / "set.zip";
    const TRun run =
        Run({Narrow(server.TLSUrl("/files/set.zip")), target.string()}, {Trust(server)});
    EXPECT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_EQ(ReadAll(target), std::string(70000, 'z'));
  }
}

TEST_F(Netget, AServerThatSendsOnlyItsLeafIsRefusedWithOpenSSLsText) {
  TNginxServer server(true, std::nullopt, "leaf-only");
  if (!server.Running())
    GTEST_SKIP() << "nginx is not available";
  server.WriteFile("files/set.zip", "set");
  const TRun run = Run({Narrow(server.TLSUrl("/files/set.zip"))}, {Trust(server)});
  EXPECT_EQ(run.ExitCode, 1);
  EXPECT_NE(run.Err.find("certificate verify failed"), std::string::npos) << run.Err;
  EXPECT_NE(run.Err.find("unable to get local issuer certificate"), std::string::npos) << run.Err;
  EXPECT_EQ(run.Out, "");
}

// A copy of netget in a folder where someone dropped libraries under OpenSSL's
// names: the download over TLS uses the system's OpenSSL, the planted code never
// runs.
TEST_F(Netget, LibrariesBesideTheProgramAreNeverLoaded) {
  TNginxServer server(true);
  if (!server.Running())
    GTEST_SKIP() << "nginx is not available";
  server.WriteFile("files/set.zip", "the set");
  const fs::path folder = Dir.Path() / "Downloads";
  fs::create_directories(folder);
  const fs::path program = folder / "netget";
  fs::copy_file(VORNEL_NETGET, program);
  for (const char* name : {"libcrypto.so.3", "libssl.so.3"}) {
    const std::string build = Quote(VORNEL_C_COMPILER) + " -shared -fPIC -o " +
                              Quote((folder / name).string()) + " " + Quote(VORNEL_PLANTED_SOURCE);
    ASSERT_EQ(std::system(build.c_str()), 0) << build;
  }
  const fs::path marker = Dir.Path() / "planted-code-ran";
  const std::string markerSetting = "VORNEL_PLANTED_MARKER=" + marker.string();

  // From another working folder and from the folder itself.
  for (const fs::path& cwd : {Dir.Path(), folder}) {
    const fs::path target = Dir.Path() / "set.zip";
    const TRun run = Run({Narrow(server.TLSUrl("/files/set.zip")), target.string()},
                         {Trust(server), markerSetting}, program, cwd);
    EXPECT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_EQ(ReadAll(target), "the set");
    EXPECT_FALSE(fs::exists(marker)) << "run in " << cwd;
  }

  // The planted library does run when the system's search is pointed at it, so
  // the check above can see a load.
  const TRun control =
      Run({Narrow(server.TLSUrl("/files/set.zip"))},
          {Trust(server), markerSetting, "LD_LIBRARY_PATH=" + folder.string()}, program);
  EXPECT_EQ(control.ExitCode, 1);
  EXPECT_TRUE(fs::exists(marker));
}

TEST_F(Netget, VerboseShowsEveryHopOfARedirectAndItsLocation) {
  TNginxServer server(true);
  if (!server.Running())
    GTEST_SKIP() << "nginx is not available";
  server.WriteFile("files/small.txt", "small file\n");
  const TRun run = Run({"-v", "--redirects", Narrow(server.TLSUrl("/to-plain"))}, {Trust(server)});
  EXPECT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_EQ(run.Out, "small file\n");
  // From https to plain http, in plain sight.
  const std::string hop =
      "HTTP/1.1 302 Moved Temporarily\nLocation: " + Narrow(server.Url("/files/small.txt")) +
      "\nHTTP/1.1 200 OK\n";
  EXPECT_TRUE(run.Err.starts_with(hop)) << run.Err;
}

TEST_F(Netget, ARedirectLoopFailsNamingTheLastStatusLine) {
  test::TConnectionScript script;
  for (int i = 0; i < 15; ++i)
    script.push_back({Reply("HTTP/1.1 302 Found", {"Location: /loop"}, "")});
  TScriptedServer server({script});
  const TRun run = Run({"-v", "--redirects", Narrow(server.Url("/loop"))});
  EXPECT_EQ(run.ExitCode, 1);
  std::string hops;
  for (int i = 0; i < 15; ++i)
    hops += "HTTP/1.1 302 Found\nLocation: /loop\n";
  EXPECT_EQ(run.Err, hops +
                         "ENetHTTPProtocolException: Too many redirects (15); the last "
                         "response: HTTP/1.1 302 Found\n");
  EXPECT_EQ(run.Out, "");
}

TEST_F(Netget, ABodyCutShortFails) {
  TScriptedServer server(
      {{{"HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n" + std::string(100, 'h'),
         TScriptStep::Close}}});
  const fs::path target = Dir.Path() / "part.zip";
  const TRun run = Run({Narrow(server.Url("/set.zip")), target.string()});
  EXPECT_EQ(run.ExitCode, 1);
  EXPECT_EQ(run.Err,
            "ENetConnClosedGracefully: The connection closed after 100 of 1000 bytes of the "
            "body.\n");
}

}  // namespace
}  // namespace vornel
