#include "platform/library_search.h"

#include <windows.h>

namespace vornel {

void RestrictLibrarySearchToSystem() {
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace vornel
