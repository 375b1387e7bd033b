// Libraries planted beside netget under OpenSSL's Linux names.
#include <cstdlib>

#include "netget_test.h"

namespace vornel {
namespace {

namespace fs = std::filesystem;
using test::Narrow;
using test::Netget;
using test::ReadAll;
using test::TNginxServer;
using test::TRun;

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
    const std::string build = std::string("'" VORNEL_C_COMPILER "' -shared -fPIC -o '") +
                              (folder / name).string() + "' '" VORNEL_PLANTED_SOURCE "'";
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

}  // namespace
}  // namespace vornel
