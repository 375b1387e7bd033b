// The program of the delay-load tests. Before main (a static initialiser) it
// draws random numbers from bcrypt.dll, which the platform delay-loads; then,
// as its argument says:
//   random    nothing more
//   absent    calls a function of vornel_absent.dll, a library that no system has
//   missing   calls a function that version.dll does not have
// It never restricts the library search itself: what it shows is the hooks'.
#include <windows.h>

#include <bcrypt.h>

#include <cstring>

extern "C" __declspec(dllimport) int VornelAbsentFunction();
extern "C" __declspec(dllimport) int VornelNoSuchFunction();

namespace {

struct TDrawnBeforeMain {
  TDrawnBeforeMain() {
    unsigned char bytes[8];
    Drawn = BCryptGenRandom(nullptr, bytes, sizeof bytes, BCRYPT_USE_SYSTEM_PREFERRED_RNG) == 0;
  }
  bool Drawn;
};

const TDrawnBeforeMain KBeforeMain;

}  // namespace

int main(int argc, char** argv) {
  if (!KBeforeMain.Drawn)
    return 2;
  const char* mode = argc > 1 ? argv[1] : "random";
  if (std::strcmp(mode, "absent") == 0)
    return VornelAbsentFunction();
  if (std::strcmp(mode, "missing") == 0)
    return VornelNoSuchFunction();
  return 0;
}
