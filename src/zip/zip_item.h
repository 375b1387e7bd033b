// An item of an archive and its zip form, read from a central-directory header.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/stream.h"
#include "zip/ar_types.h"
#include "zip/zip_headers.h"

namespace vornel {

class TArArchiveItem {
 public:
  virtual ~TArArchiveItem() = default;

  std::u16string FileName;      // the decoded stored name, separators as stored
  std::u16string DiskFileName;  // FileName with every separator the platform's
  std::int64_t CompressedSize = 0;
  std::int64_t UncompressedSize = 0;
  std::uint32_t CRC32 = 0;
  std::uint32_t ExternalFileAttributes = 0;
  bool IsEncrypted = false;
  std::uint16_t LastModFileTime = 0;
  std::uint16_t LastModFileDate = 0;
  TArArchiveAction Action = aaNone;
  bool Tagged = false;

  // Bit 0x10 of the attributes, or a name ending in a separator.
  bool IsDirectory() const;
  virtual std::uint32_t NativeFileAttributes() const { return ExternalFileAttributes & 0xFF; }
  // The MS-DOS date and time as a local date-time value; EConvertError when invalid.
  double LastModTimeAsDateTime() const;
};

class TArZipItem : public TArArchiveItem {
 public:
  std::int64_t RelativeOffset = 0;
  std::uint32_t DiskNumberStart = 0;
  TArZipDirectoryFileHeader ItemInfo;

  // Reads the central header at the stream's position and derives the item.
  void LoadFromStream(TStream& stream);

  TArZipHostOS HostOS() const { return static_cast<TArZipHostOS>(ItemInfo.VersionMadeBy >> 8); }
  // True when the upper 16 bits of the attributes hold a Unix mode.
  bool HasUnixMode() const { return HostOS() == hosUnix || ExternalFileAttributes > 0x1FFFF; }
  std::uint32_t UnixMode() const { return ExternalFileAttributes >> 16; }
  std::uint32_t NativeFileAttributes() const override;
  TArZipCompressionMethod CompressionMethod() const { return ItemInfo.Method(); }
};

// The attributes of a Unix mode: system for devices, links and sockets, directory
// for folders, and read-only when the owner may not write.
std::uint32_t ArUnix2DosFileAttributes(std::uint32_t mode);

// The item name of a central header, first rule that applies: the UTF-8 flag or
// well-formed UTF-8, the Info-ZIP Unicode path field, the Xceed Unicode path field,
// the OEM code page for DOS hosts and OEM-looking names, the provisional name.
std::u16string ArDecodeItemName(const TArZipDirectoryFileHeader& header);

// An MS-DOS date and time as a local date-time value; EConvertError when invalid.
double ArDosDateTimeToDateTime(std::uint16_t date, std::uint16_t time);

}  // namespace vornel
