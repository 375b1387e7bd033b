// File-system helpers. Paths are UTF-16 texts joined with PathDelimiter; the
// boolean results say whether the operation succeeded (callers may ignore them).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "native_path.h"

namespace vornel {

bool FileExists(const std::u16string& path);        // a file that is not a folder
bool DirectoryExists(const std::u16string& path);   // a folder (links followed)
std::int64_t FileSize(const std::u16string& path);  // -1 when there is no such file

bool DeleteFile(const std::u16string& path);  // unlink
bool RemoveDir(const std::u16string& path);   // rmdir: only an empty folder
// Creates the last component only (mode 0777 before the umask); an existing
// folder is no error.
bool CreateDir(const std::u16string& path);
// Creates every missing folder of the path.
bool ForceDirectories(const std::u16string& path);

// Sets the last-write (and last-access) time from a local date-time value (days
// since 30 December 1899).
bool SetFileLastWriteTime(const std::u16string& path, double localDateTime);
// Read-only clears every write bit; not read-only gives the owner's write bit back.
bool SetFileReadOnly(const std::u16string& path, bool readOnly);
// Applies the read, write and execute bits of mode (mask 0777).
bool SetFilePermissions(const std::u16string& path, unsigned mode);

// Path pieces. ExtractFilePath keeps the trailing delimiter ("/a/b/" of "/a/b/c").
std::u16string ExtractFilePath(std::u16string_view path);
std::u16string ExtractFileName(std::u16string_view path);
std::u16string ExtractFileExt(std::u16string_view path);  // ".zip", or empty
std::u16string IncludeTrailingPathDelimiter(std::u16string_view path);
std::u16string ExcludeTrailingPathDelimiter(std::u16string_view path);

}  // namespace vornel
