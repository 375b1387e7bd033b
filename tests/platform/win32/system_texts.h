// The system's texts that the shared tests expect in messages: those of the
// Windows error numbers that CreateFileW gives.
#pragma once

#include <string>

#include "platform/exception.h"

namespace vornel::testing {

inline std::u16string MissingFolderText() {
  return SysErrorMessage(3);  // ERROR_PATH_NOT_FOUND
}
inline std::u16string MissingFileText() {
  return SysErrorMessage(2);  // ERROR_FILE_NOT_FOUND
}

}  // namespace vornel::testing
