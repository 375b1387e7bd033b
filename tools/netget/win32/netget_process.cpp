#include "netget_process.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

// No library is ever loaded from the program's folder or the working folder:
// every later load searches System32 only. The standard streams carry bytes as
// they are (a body on standard output must not gain a CR before each LF), and
// the messages read as on Linux.
void PrepareProcess() {
  ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  ::_setmode(::_fileno(stdout), _O_BINARY);
  ::_setmode(::_fileno(stderr), _O_BINARY);
}
