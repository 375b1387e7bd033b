// Where the process looks for the libraries it loads by name.
#pragma once

namespace vornel {

// From here on libraries load from the system's own folder only, never from the
// program's folder or the working folder (a program started from a download
// folder must not pick up a library that lies beside it). Nothing on systems
// that load no libraries by such a search.
void RestrictLibrarySearchToSystem();

}  // namespace vornel
