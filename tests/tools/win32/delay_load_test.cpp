// The delay-load hooks of the programs (src/platform/win32/delay_load.cpp), in
// a program that uses them: a delay-loaded library comes from System32 only,
// even before main and with a file of its name beside the program, and a
// library or function that is missing ends the program with a message that
// names it instead of a crash.
#include <windows.h>

#include "netget_test.h"
#include "support/peer_side.h"

namespace vornel {
namespace {

namespace fs = std::filesystem;

struct TDelayCase {
  const char* Mode;
  const char* Planted;  // the planted DLL put beside the program, if any
  int ExitCode;
  const char* Err;
};

const TDelayCase KDelayCases[] = {
    {"random", "bcrypt.dll", 0, ""},
    {"absent", "vornel_absent.dll", 3,
     "Cannot load the system library vornel_absent.dll (error 126).\r\n"},
    {"missing", nullptr, 3,
     "No function VornelNoSuchFunction in the system library version.dll (error 127).\r\n"},
};

TEST(DelayLoad, LibrariesComeFromTheSystemAndWhatIsMissingIsNamed) {
  testing::TTempDir dir;
  const fs::path planted = test::LocalPath(VORNEL_PLANTED_DIR);
  const fs::path marker = dir.Path() / "planted-code-ran";
  for (const TDelayCase& c : KDelayCases) {
    SCOPED_TRACE(c.Mode);
    fs::remove(marker);
    const fs::path folder = dir.Path() / c.Mode;
    fs::create_directories(folder);
    const fs::path program = folder / "caller.exe";
    fs::copy_file(test::LocalPath(VORNEL_DELAY_LOAD_CALLER), program);
    if (c.Planted)
      fs::copy_file(planted / c.Planted, folder / c.Planted);
    const test::TRun run = test::RunProgram(
        program, {c.Mode}, {"VORNEL_PLANTED_MARKER=" + marker.string()}, folder, dir.Path());
    EXPECT_EQ(run.ExitCode, c.ExitCode);
    EXPECT_EQ(run.Err, c.Err);
    EXPECT_FALSE(fs::exists(marker));
  }
}

}  // namespace
}  // namespace vornel
