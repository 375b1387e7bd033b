// The failures of the archive classes. Every archive failure is an EArException
// with a fixed message and an error code of its own.
#pragma once

#include <string>

#include "platform/exception.h"

namespace vornel {

class EArException : public Exception {
 public:
  EArException(std::u16string message, int errorCode = 0)
      : Exception(std::move(message)), FErrorCode(errorCode) {}
  int ErrorCode() const noexcept { return FErrorCode; }

 private:
  int FErrorCode;
};

#define VORNEL_AR_EXCEPTION(Name, Code, Text) \
  class Name : public EArException {          \
   public:                                    \
    static constexpr int Code_ = Code;        \
    Name() : EArException(u"" Text, Code) {}  \
  };

VORNEL_AR_EXCEPTION(EArZipVersion, 1, "Cannot extract file - newer version required")
VORNEL_AR_EXCEPTION(EArZipInvalidMethod, 2, "Cannot extract file - unsupported compression method")
VORNEL_AR_EXCEPTION(EArZipInvalidPassword, 4, "Cannot extract file - invalid password")
VORNEL_AR_EXCEPTION(EArUserAbort, 9, "Process aborted by user")
VORNEL_AR_EXCEPTION(EArZipBadSpanStream, 11, "Spanned archives must be opened as file streams")
VORNEL_AR_EXCEPTION(EArNoSuchDirectory, 15, "Directory does not exist")
VORNEL_AR_EXCEPTION(EArBadStream, 17, "Invalid Stream")
VORNEL_AR_EXCEPTION(EArZipBadCRC, 19, "Failed CRC Check")
VORNEL_AR_EXCEPTION(EArFileNotFound, 21, "File not found")
VORNEL_AR_EXCEPTION(EArZipInvalidLFH, 22, "Invalid Local File Header entry")
VORNEL_AR_EXCEPTION(EArNoArchive, 23, "Archive does not exist - Filename is blank")
VORNEL_AR_EXCEPTION(EArZipInvalid, 24, "Invalid file - not a PKZip file")
VORNEL_AR_EXCEPTION(EArUnhandledType, 28, "Unhandled Archive Type")
// A stored name that would place its output outside the base folder.
VORNEL_AR_EXCEPTION(EArUnsafePath, 40,
                    "Cannot extract file - its path leads outside the base folder")
// A decoder produced more data than the item declares.
VORNEL_AR_EXCEPTION(EArZipSizeExceeded, 41, "Cannot extract file - data exceeds the declared size")
// A spanned (multi-volume) archive, which this component does not read.
VORNEL_AR_EXCEPTION(EArSpannedNotSupported, 42, "Spanned archives are not supported")

// Items whose bytes overlap each other or the directory, or lie outside the file.
VORNEL_AR_EXCEPTION(EArZipBadCentralDirectory, 43,
                    "Invalid file - items overlap each other or the central directory")

#undef VORNEL_AR_EXCEPTION

// An invalid argument, such as a path with characters no path may hold.
class EArgumentError : public Exception {
 public:
  using Exception::Exception;
};

// A value that cannot be converted, such as an invalid MS-DOS date.
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

// A decoder of a compression method failed on its data.
class EArDecoderError : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace vornel
