// The unpack folder is the installer's own: made by it, or an existing real folder
// of the user's that nobody else may write into. Another user's folder, a link, a
// file or a folder open to others is never unpacked into, for its owner could
// swap Setup.exe before it is run.
#pragma once

#include <string>

#include "platform/exception.h"

namespace vornel {

// The unpack folder cannot be used; the message names it, in Czech.
class EUnpackFolder : public Exception {
 public:
  using Exception::Exception;
};

// Creates the folder (mode 0755; only its last component) or accepts the one that
// is there; raises EUnpackFolder otherwise.
void MakeUnpackFolder(const std::u16string& folder);

}  // namespace vornel
