// The file-system side of extraction: folders, target files, and the time and
// attributes an extracted item carries.
#pragma once

#include <memory>
#include <string>

#include "platform/file_stream.h"
#include "zip/zip_item.h"

namespace vornel {

// Creates every missing level of the folder path; a level that cannot be created
// raises EOSError with the platform's text.
void ArCreateDirectory(const std::u16string& path);

// Creates the target file, replacing an existing one. A read-only file is not
// replaced (EFCreateError), whatever the process's rights; a symbolic link in its
// place is removed first, so that the write never follows it.
std::unique_ptr<TFileStream> ArCreateTargetFile(const std::u16string& path);

// Sets the last-write time from the item's MS-DOS date and time (EConvertError
// when they are invalid) and then its attributes: the permission bits of a Unix
// item, otherwise its read-only attribute. File-system failures are ignored.
void ArApplyItemTimeAndAttributes(const TArZipItem& item, const std::u16string& path);

}  // namespace vornel
