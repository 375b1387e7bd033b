// A program of the window subsystem that shows nothing and ends with exit code
// 3: a child as an installation set's setup program is one, with no console.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  return 3;
}
