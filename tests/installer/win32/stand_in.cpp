// A stand-in for the programs around the installer, as a Windows program of its
// own: "sleep MS" waits and ends with 0 (the installer, or a namesake of it);
// "identity FILE" writes what the installer takes from its own process, one line
// each: the identity, the executable path, the temporary folder. Without
// arguments (as a set's Setup.exe) it reads "CODE MS" from setup-plan.txt beside
// it, waits MS and ends with CODE.
#include <cstdlib>
#include <fstream>
#include <string>

#include "installer/identity.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/temp_folder.h"
#include "platform/text.h"

int main(int argc, char** argv) {
  using namespace vornel;
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "sleep" && argc > 2) {
    SleepMs(static_cast<unsigned>(std::atoi(argv[2])));
    return 0;
  }
  if (mode == "identity" && argc > 2) {
    const std::u16string path = ExecutablePath();
    std::ofstream(argv[2], std::ios::binary) << ToUtf8(IdentityOf(path)) << "\n"
                                             << ToUtf8(path) << "\n"
                                             << ToUtf8(UserTempFolder()) << "\n";
    return 0;
  }
  std::ifstream plan(ToUtf8(ExtractFilePath(ExecutablePath())) + "setup-plan.txt");
  int code = 3;
  unsigned ms = 0;
  plan >> code >> ms;
  SleepMs(ms);
  return code;
}
