// Whose fault a failed unpacking is, which decides the way back: a damaged set
// is downloaded again, a folder that cannot take it is swapped for another.
#pragma once

#include <exception>

#include "zip/ar_types.h"

namespace vornel {

enum class TUnpackFault {
  // The archive: damaged data, a failed CRC check, an unsafe or invalid stored
  // name, a method or version this program cannot extract, data that ends early.
  ufSet,
  // The unpack folder: it cannot be created, or a file in it cannot be created
  // or written (permission, a full disk).
  ufFolder,
};

// An item that failed with that error class and code; error is the exception
// behind it, when there is one (a failed CRC check has none). An item whose
// failure cannot be told is put down to the folder, so the download is kept.
TUnpackFault ItemFailureFault(TArErrorClass errorClass, int errorCode,
                              const std::exception_ptr& error);

// An exception that ended the extraction as a whole.
TUnpackFault ExtractionFailureFault(const std::exception_ptr& error);

}  // namespace vornel
