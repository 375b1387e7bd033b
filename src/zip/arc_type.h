// Telling the kind of an archive from its name and content, and finding the end
// record of a zip file's central directory.
#pragma once

#include <cstdint>
#include <string>

#include "platform/stream.h"
#include "zip/ar_types.h"

namespace vornel {

// The kind of a file: from AssertType, else its extension, then confirmed or
// replaced by a look at its content.
TArArchiveType ArDetermineArcType(const std::u16string& fileName, TArArchiveType assertType);

// atZip, atSpannedZip or atUnknown; the stream's position is restored.
TArArchiveType VerifyZip(TStream& stream);
// atSelfExtZip for an executable (ELF or MZ) that carries a zip, else atUnknown.
TArArchiveType VerifySelfExtracting(TStream& stream);
TArArchiveType VerifyTar(TStream& stream);
TArArchiveType VerifyGzip(TStream& stream);
TArArchiveType VerifyBzip2(TStream& stream);
TArArchiveType VerifyCab(TStream& stream);

// Absolute position of the end-of-central-directory record, or -1. On success the
// stream stands at the record.
std::int64_t FindCentralDirectoryTail(TStream& stream);

}  // namespace vornel
