/* The control of the planted-library tests: a program that imports bcrypt.dll,
   crypt32.dll and msimg32.dll the ordinary way, by its import table. Started
   beside the planted libraries of those names, the loader maps them before main
   runs (their constructors write the marker), which shows that a program whose
   import table named them would run planted code. It calls none of the
   functions: the planted libraries have none of them. */
#include <windows.h>
/* wincrypt.h needs the types of windows.h. */
#include <bcrypt.h>
#include <wincrypt.h>

int main(int argc, char** argv) {
  (void)argv;
  /* Never true when the tests start it; the calls keep the imports. */
  if (argc > 100) {
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, 0};
    BCryptGenRandom(NULL, NULL, 0, BCRYPT_USE_SYSTEM_PREFERRED_RNG);
    CertCloseStore(NULL, 0);
    AlphaBlend(NULL, 0, 0, 0, 0, NULL, 0, 0, 0, 0, blend);
  }
  return 0;
}
