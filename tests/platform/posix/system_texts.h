// The system's texts that the shared tests expect in messages.
#pragma once

#include <string>

namespace vornel::testing {

inline std::u16string MissingFolderText() {
  return u"No such file or directory";
}
inline std::u16string MissingFileText() {
  return u"No such file or directory";
}

}  // namespace vornel::testing
