// Libraries planted beside netget.exe under OpenSSL's Windows names and under
// those of the system libraries that are not known DLLs: the program has
// OpenSSL linked in, imports known DLLs only and loads the other system
// libraries from System32, so the planted code never runs, wherever it is
// started from.
#include <windows.h>

#include "netget_test.h"
#include "support/peer_side.h"

namespace vornel {
namespace {

namespace fs = std::filesystem;
using test::Netget;
using test::TNginxServer;

// The build's planted DLLs (tests/tools/planted_library.c) under those names.
const char* const KOpenSSLNames[] = {"libcrypto-3-x64.dll", "libssl-3-x64.dll"};
const char* const KSystemNames[] = {"bcrypt.dll", "crypt32.dll", "msimg32.dll"};

TEST_F(Netget, LibrariesBesideTheProgramAreNeverLoaded) {
  TNginxServer server(true);
  ASSERT_TRUE(server.Running());
  server.WriteFile("files/set.zip", "the set");
  const fs::path folder = Dir.Path() / "Downloads";
  fs::create_directories(folder);
  const fs::path program = folder / "netget.exe";
  fs::copy_file(test::NetgetProgram(), program);
  const fs::path planted = test::LocalPath(VORNEL_PLANTED_DIR);
  for (const char* name : KOpenSSLNames)
    fs::copy_file(planted / name, folder / name);
  for (const char* name : KSystemNames)
    fs::copy_file(planted / name, folder / name);
  const fs::path marker = Dir.Path() / "planted-code-ran";
  const std::string markerSetting = "VORNEL_PLANTED_MARKER=" + marker.string();

  // The download over TLS draws OpenSSL's random numbers (bcrypt) and reads
  // the system's root store (crypt32).
  ExpectPlantedCodeNeverRuns(server, program, folder, marker);

  // A program in the same folder that imports the system libraries the
  // ordinary way does run the planted code: the check above can see a load
  // (under Wine with the overrides that tests/tools/CMakeLists.txt sets).
  const fs::path control = folder / "control.exe";
  fs::copy_file(test::LocalPath(VORNEL_PLANTED_CONTROL), control);
  const test::TRun run = Run({}, {markerSetting}, control, folder);
  EXPECT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_TRUE(fs::exists(marker)) << "the control did not load the planted libraries";
  fs::remove(marker);

  // The same for the libraries under OpenSSL's names, loaded by path.
  test::SetEnvironment("VORNEL_PLANTED_MARKER", marker.string());
  const HMODULE loaded = ::LoadLibraryW((folder / KOpenSSLNames[0]).wstring().c_str());
  test::UnsetEnvironment("VORNEL_PLANTED_MARKER");
  ASSERT_NE(loaded, nullptr);
  ::FreeLibrary(loaded);
  EXPECT_TRUE(fs::exists(marker));
}

}  // namespace
}  // namespace vornel
