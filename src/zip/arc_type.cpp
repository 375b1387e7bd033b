#include "zip/arc_type.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/file_stream.h"
#include "platform/file_system.h"
#include "platform/text.h"
#include "zip/byte_reader.h"
#include "zip/zip_headers.h"

namespace vornel {

namespace {

// The first count bytes of the stream (fewer when it is shorter); the position
// is restored.
TBytes Head(TStream& stream, std::size_t count) {
  const std::int64_t position = stream.Position();
  stream.SetPosition(0);
  TBytes bytes(count, 0);
  bytes.resize(
      static_cast<std::size_t>(stream.Read(bytes.data(), static_cast<std::int64_t>(count))));
  stream.SetPosition(position);
  return bytes;
}

}  // namespace

std::int64_t FindCentralDirectoryTail(TStream& stream) {
  const std::int64_t remembered = stream.Position();
  std::uint8_t record[ArEndOfCentralDirectorySize];
  const std::int64_t size = stream.Size();
  const std::int64_t last = size - ArEndOfCentralDirectorySize;
  if (last >= 0 && stream.Seek(last, soBeginning) == last &&
      stream.Read(record, ArEndOfCentralDirectorySize) == ArEndOfCentralDirectorySize &&
      LoadLE32(record) == Ar_ZipEndCentralDirectorySignature && LoadLE16(record + 20) == 0) {
    stream.SetPosition(last);
    return last;
  }
  // The record is followed by a comment (or by other bytes): search backwards in
  // windows that grow up to 64 KiB and overlap by the record's size. Every
  // signature of a window is examined, highest first, so the search reads each
  // byte about once, however far from the end the record lies.
  std::int64_t window = 512;
  std::int64_t distance = 512;  // of the window's start from the end of the file
  std::vector<std::uint8_t> buffer;
  for (;;) {
    std::int64_t start = size - distance;
    bool lastPass = false;
    if (start <= 0) {
      start = 0;
      lastPass = true;
    }
    stream.SetPosition(start);
    buffer.resize(static_cast<std::size_t>(window));
    const std::int64_t got = stream.Read(buffer.data(), window);
    if (got < ArEndOfCentralDirectorySize)
      return -1;
    for (std::int64_t i = got - ArEndOfCentralDirectorySize; i >= 0; --i) {
      if (LoadLE32(buffer.data() + i) != Ar_ZipEndCentralDirectorySignature)
        continue;
      const std::int64_t following = (size - start) - (i + ArEndOfCentralDirectorySize);
      const std::uint16_t commentLength = LoadLE16(buffer.data() + i + 20);
      if (commentLength <= following) {
        stream.SetPosition(start + i);
        return start + i;
      }
    }
    if (lastPass)
      break;
    if (window < 65536)
      window = std::min<std::int64_t>(window * 2, 65536);
    distance += window - ArEndOfCentralDirectorySize;
  }
  stream.SetPosition(remembered);
  return -1;
}

TArArchiveType VerifyZip(TStream& stream) {
  const std::int64_t position = stream.Position();
  TArArchiveType result = atUnknown;
  try {
    const TBytes head = Head(stream, 4);
    if (head.size() == 4 && LoadLE32(head.data()) == Ar_ZipSpannedSetSignature) {
      result = atSpannedZip;
    } else if (FindCentralDirectoryTail(stream) >= 0) {
      std::uint8_t record[ArEndOfCentralDirectorySize];
      stream.ReadBuffer(record, ArEndOfCentralDirectorySize);
      if (LoadLE32(record) == Ar_ZipEndCentralDirectorySignature) {
        result = LoadLE16(record + 4) == 0 ? atZip : atSpannedZip;
      }
    }
  } catch (const EStreamError&) {
    result = atUnknown;
  }
  stream.SetPosition(position);
  return result;
}

TArArchiveType VerifySelfExtracting(TStream& stream) {
  const TBytes head = Head(stream, 4);
  if (head.size() < 2)
    return atUnknown;
  const bool elf = head.size() == 4 && LoadLE32(head.data()) == Ar_LinuxExeSignature;
  const bool mz = LoadLE16(head.data()) == Ar_WindowsExeSignature;
  if (!elf && !mz)
    return atUnknown;
  return VerifyZip(stream) == atZip ? atSelfExtZip : atUnknown;
}

TArArchiveType VerifyTar(TStream& stream) {
  // A tar header block: "ustar" at 257, or an octal checksum matching the block.
  const TBytes block = Head(stream, 512);
  if (block.size() < 512)
    return atUnknown;
  if (std::memcmp(block.data() + 257, "ustar", 5) == 0)
    return atTar;
  unsigned stored = 0;
  bool digits = false;
  for (int i = 148; i < 156; ++i) {
    const std::uint8_t c = block[static_cast<std::size_t>(i)];
    if (c >= '0' && c <= '7') {
      stored = stored * 8 + (c - '0');
      digits = true;
    } else if (c != ' ' && c != 0) {
      return atUnknown;
    }
  }
  unsigned sum = 0;
  for (int i = 0; i < 512; ++i)
    sum += (i >= 148 && i < 156) ? ' ' : block[static_cast<std::size_t>(i)];
  return digits && block[0] != 0 && sum == stored ? atTar : atUnknown;
}

TArArchiveType VerifyGzip(TStream& stream) {
  const TBytes head = Head(stream, 4);
  if (head.size() < 4 || head[0] != 0x1F || head[1] != 0x8B || head[2] != 8 || (head[3] & 0xE0)) {
    return atUnknown;
  }
  return atGzip;
}

TArArchiveType VerifyBzip2(TStream& stream) {
  const TBytes head = Head(stream, 10);
  if (head.size() < 10 || head[0] != 'B' || head[1] != 'Z' || head[2] != 'h' || head[3] < '1' ||
      head[3] > '9') {
    return atUnknown;
  }
  static constexpr std::uint8_t kBlock[] = {0x31, 0x41, 0x59, 0x26, 0x53, 0x59};
  static constexpr std::uint8_t kEnd[] = {0x17, 0x72, 0x45, 0x38, 0x50, 0x90};
  if (std::memcmp(head.data() + 4, kBlock, 6) == 0 || std::memcmp(head.data() + 4, kEnd, 6) == 0) {
    return atBzip2;
  }
  return atUnknown;
}

TArArchiveType VerifyCab(TStream& stream) {
  // "MSCF", a reserved zero word, then the cabinet's size, which must fit the file.
  const TBytes head = Head(stream, 36);
  if (head.size() < 36 || std::memcmp(head.data(), "MSCF", 4) != 0 ||
      LoadLE32(head.data() + 4) != 0) {
    return atUnknown;
  }
  const std::uint32_t size = LoadLE32(head.data() + 8);
  return size >= 36 && size <= stream.Size() && head[25] == 1 ? atCab : atUnknown;
}

TArArchiveType ArDetermineArcType(const std::u16string& fileName, TArArchiveType assertType) {
  TArArchiveType result = assertType;
  if (result == atUnknown) {
    const std::u16string ext = AsciiUpperCase(ExtractFileExt(fileName));
    if (ext == u".ZIP" || ext == u".JAR")
      result = atZip;
    else if (ext == u".EXE")
      result = atSelfExtZip;
    else if (ext == u".TAR")
      result = atTar;
    else if (ext == u".GZ")
      result = atGzip;
    else if (ext == u".TGZ")
      result = atGzippedTar;
    else if (ext == u".CAB")
      result = atCab;
    else if (ext == u".BZ2")
      result = atBzip2;
    else if (ext == u".TBZ")
      result = atBzippedTar;
  }
  if (!FileExists(fileName) || FileSize(fileName) <= 0)
    return result;
  TFileStream stream(fileName, fmOpenRead | fmShareDenyNone);
  switch (result) {
    case atUnknown:
      for (auto check :
           {VerifySelfExtracting, VerifyZip, VerifyTar, VerifyGzip, VerifyBzip2, VerifyCab}) {
        result = check(stream);
        if (result != atUnknown)
          break;
      }
      return result;
    case atZip:
    case atSpannedZip:
      return VerifyZip(stream);
    case atSelfExtZip:
      return VerifySelfExtracting(stream);
    case atTar:
      return VerifyTar(stream);
    case atGzip:
    case atGzippedTar:
      return VerifyGzip(stream) == atGzip ? result : atUnknown;
    case atCab:
      return VerifyCab(stream);
    case atBzip2:
    case atBzippedTar:
      return VerifyBzip2(stream) == atBzip2 ? result : atUnknown;
  }
  return result;
}

}  // namespace vornel
