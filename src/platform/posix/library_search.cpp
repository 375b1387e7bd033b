#include "platform/library_search.h"

namespace vornel {

// The dynamic loader searches only the configured system paths for the libraries
// the program names; the program's folder is never among them.
void RestrictLibrarySearchToSystem() {}

}  // namespace vornel
