// Libraries planted beside netget.exe under OpenSSL's Windows names: the
// program has OpenSSL linked in and loads no library from its own or the
// working folder, so the planted code never runs, wherever it is started from.
#include <windows.h>

#include "netget_test.h"
#include "support/peer_side.h"

namespace vornel {
namespace {

namespace fs = std::filesystem;
using test::Netget;
using test::TNginxServer;

// The build's planted DLLs (tests/tools/planted_library.c) under those names.
const char* const KPlanted[] = {"libcrypto-3-x64.dll", "libssl-3-x64.dll"};

TEST_F(Netget, LibrariesBesideTheProgramAreNeverLoaded) {
  TNginxServer server(true);
  ASSERT_TRUE(server.Running());
  server.WriteFile("files/set.zip", "the set");
  const fs::path folder = Dir.Path() / "Downloads";
  fs::create_directories(folder);
  const fs::path program = folder / "netget.exe";
  fs::copy_file(test::NetgetProgram(), program);
  for (const char* name : KPlanted)
    fs::copy_file(fs::path(test::LocalPath(VORNEL_PLANTED_DIR)) / name, folder / name);
  const fs::path marker = Dir.Path() / "planted-code-ran";

  ExpectPlantedCodeNeverRuns(server, program, folder, marker);

  // The planted library does run once something loads it, so the check above
  // can see a load.
  test::SetEnvironment("VORNEL_PLANTED_MARKER", marker.string());
  const HMODULE loaded = ::LoadLibraryW((folder / KPlanted[0]).wstring().c_str());
  test::UnsetEnvironment("VORNEL_PLANTED_MARKER");
  ASSERT_NE(loaded, nullptr);
  ::FreeLibrary(loaded);
  EXPECT_TRUE(fs::exists(marker));
}

}  // namespace
}  // namespace vornel
