#include "zip/zip_headers.h"

#include "platform/code_page.h"
#include "zip/ar_exceptions.h"
#include "zip/byte_reader.h"
#include "zip/char_set.h"

namespace vornel {

void TArZipDirectoryFileHeader::LoadFromStream(TStream& stream) {
  const TBytes fixed = ReadLenient(stream, 46);
  const std::uint8_t* p = fixed.data();
  Signature = LoadLE32(p);
  VersionMadeBy = LoadLE16(p + 4);
  VersionNeededToExtract = LoadLE16(p + 6);
  GeneralPurposeBitFlag = LoadLE16(p + 8);
  CompressionMethod = LoadLE16(p + 10);
  LastModFileTime = LoadLE16(p + 12);
  LastModFileDate = LoadLE16(p + 14);
  CRC32 = LoadLE32(p + 16);
  CompressedSize = LoadLE32(p + 20);
  UncompressedSize = LoadLE32(p + 24);
  const std::uint16_t nameLength = LoadLE16(p + 28);
  const std::uint16_t extraLength = LoadLE16(p + 30);
  const std::uint16_t commentLength = LoadLE16(p + 32);
  DiskNumberStart = LoadLE16(p + 34);
  InternalFileAttributes = LoadLE16(p + 36);
  ExternalFileAttributes = LoadLE32(p + 38);
  RelativeOffset = LoadLE32(p + 42);
  RawFileName = ReadLenient(stream, nameLength);
  FileName = ArDecodeDetected(RawFileName);
  ExtraField.Assign(ReadExact(stream, extraLength));
  RawFileComment = ReadLenient(stream, commentLength);
  FileComment = DecodeCodePage(AnsiCodePage(), RawFileComment);
  if (Signature != Ar_ZipCentralDirectoryFileHeaderSignature)
    throw EArZipInvalid();
}

void TArZipLocalFileHeader::LoadFromStream(TStream& stream) {
  const TBytes fixed = ReadLenient(stream, 30);
  const std::uint8_t* p = fixed.data();
  Signature = LoadLE32(p);
  if (Signature != Ar_ZipLocalFileHeaderSignature)
    throw EArZipInvalid();
  VersionNeededToExtract = LoadLE16(p + 4);
  GeneralPurposeBitFlag = LoadLE16(p + 6);
  CompressionMethod = LoadLE16(p + 8);
  LastModFileTime = LoadLE16(p + 10);
  LastModFileDate = LoadLE16(p + 12);
  CRC32 = LoadLE32(p + 14);
  CompressedSize = LoadLE32(p + 18);
  UncompressedSize = LoadLE32(p + 22);
  const std::uint16_t nameLength = LoadLE16(p + 26);
  const std::uint16_t extraLength = LoadLE16(p + 28);
  RawFileName = ReadLenient(stream, nameLength);
  FileName = ArDecodeDetected(RawFileName);
  ExtraField.Assign(ReadExact(stream, extraLength));
}

}  // namespace vornel
