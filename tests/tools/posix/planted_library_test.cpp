// Libraries planted beside netget under OpenSSL's Linux names.
#include <cstdlib>

#include "netget_test.h"

namespace vornel {
namespace {

namespace fs = std::filesystem;
using test::Narrow;
using test::Netget;
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

  ExpectPlantedCodeNeverRuns(server, program, folder, marker);

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
