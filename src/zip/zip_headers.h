// The headers of a zip file: the fields a local and a central header share,
// the central-directory header, the local header, and the directory footer.
#pragma once

#include <cstdint>
#include <string>

#include "platform/bytes.h"
#include "platform/stream.h"
#include "zip/ar_types.h"
#include "zip/extra_field.h"

namespace vornel {

class TArZipFileHeader {
 public:
  std::uint32_t Signature = 0;
  std::uint16_t VersionNeededToExtract = 0;
  std::uint16_t GeneralPurposeBitFlag = 0;
  std::uint16_t CompressionMethod = 0;
  std::uint16_t LastModFileTime = 0;
  std::uint16_t LastModFileDate = 0;
  std::uint32_t CRC32 = 0;
  std::uint32_t CompressedSize = 0;
  std::uint32_t UncompressedSize = 0;
  TBytes RawFileName;
  // The raw name decoded as ASCII, ANSI or UTF-8, whichever its bytes suggest.
  std::u16string FileName;
  TArExtraField ExtraField;

  bool IsEncrypted() const { return (GeneralPurposeBitFlag & ArFileIsEncryptedFlag) != 0; }
  bool IsUTF8() const { return (GeneralPurposeBitFlag & ArLanguageEncodingFlag) != 0; }
  bool HasDataDescriptor() const { return (GeneralPurposeBitFlag & ArHasDataDescriptorFlag) != 0; }
  TArZipCompressionMethod Method() const {
    return static_cast<TArZipCompressionMethod>(CompressionMethod);
  }
};

class TArZipDirectoryFileHeader : public TArZipFileHeader {
 public:
  std::uint16_t VersionMadeBy = 0;
  std::uint16_t DiskNumberStart = 0;
  std::uint16_t InternalFileAttributes = 0;
  std::uint32_t ExternalFileAttributes = 0;
  std::uint32_t RelativeOffset = 0;
  TBytes RawFileComment;
  std::u16string FileComment;

  // Reads one central header at the stream's position. Fixed fields and the name
  // tolerate a short read; the extra field must be complete (EReadError). A wrong
  // signature raises EArZipInvalid once the variable parts were read.
  void LoadFromStream(TStream& stream);
};

class TArZipLocalFileHeader : public TArZipFileHeader {
 public:
  // Reads the local header at the stream's position and leaves the stream at the
  // item's data; a wrong signature raises EArZipInvalid.
  void LoadFromStream(TStream& stream);
};

// The end-of-central-directory values kept in memory.
struct TArZipDirectoryFileFooter {
  std::uint32_t DiskNumber = 0;
  std::uint32_t StartDiskNumber = 0;
  std::int64_t EntriesOnDisk = 0;
  std::int64_t TotalEntries = 0;
  std::int64_t DirectorySize = 0;
  std::int64_t DirectoryOffset = 0;
  std::u16string ZipfileComment;

  bool IsZip64() const {
    return DiskNumber >= 0xFFFF || StartDiskNumber >= 0xFFFF || EntriesOnDisk >= 0xFFFF ||
           TotalEntries >= 0xFFFF || DirectorySize >= 0xFFFFFFFF || DirectoryOffset >= 0xFFFFFFFF;
  }
};

inline constexpr int ArEndOfCentralDirectorySize = 22;
inline constexpr int ArLocalHeaderSize = 30;
inline constexpr int ArZip64LocatorSize = 20;
inline constexpr int ArZip64RecordSize = 56;

}  // namespace vornel
