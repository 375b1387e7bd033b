#include "installer/unpack_fault.h"

#include "installer/unpack_folder.h"

#include "platform/stream.h"
#include "zip/ar_exceptions.h"
#include "zip/unzipper.h"

namespace vornel {

TUnpackFault ItemFailureFault(TArErrorClass errorClass, int errorCode,
                              const std::exception_ptr& error) {
  switch (errorClass) {
    case ecArchive:
      return errorCode == EArNoSuchDirectory::Code_ ? TUnpackFault::ufFolder : TUnpackFault::ufSet;
    case ecInOutError:  // a folder of the item could not be created
    case ecFileCreateError:
    case ecFileOpenError:
      return TUnpackFault::ufFolder;
    case ecFilerError:
      // Reading ends early when the archive is cut short; writing fails on the
      // folder's disk.
      if (error) {
        try {
          std::rethrow_exception(error);
        } catch (const EReadError&) {
          return TUnpackFault::ufSet;
        } catch (...) {
        }
      }
      return TUnpackFault::ufFolder;
    case ecCabError:
    case ecOther:
      // Decoders' errors on damaged data, invalid stored dates or characters.
      return TUnpackFault::ufSet;
  }
  return TUnpackFault::ufFolder;
}

TUnpackFault ExtractionFailureFault(const std::exception_ptr& error) {
  try {
    std::rethrow_exception(error);
  } catch (const EUnpackFolder&) {
    return TUnpackFault::ufFolder;  // refused before any item was written
  } catch (...) {
  }
  TArErrorClass errorClass = ecOther;
  int errorCode = 0;
  ArConvertException(error, errorClass, errorCode);
  return ItemFailureFault(errorClass, errorCode, error);
}

}  // namespace vornel
