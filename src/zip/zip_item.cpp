#include "zip/zip_item.h"

#include "platform/clock.h"
#include "platform/code_page.h"
#include "platform/file_system.h"
#include "platform/text.h"
#include "zip/ar_exceptions.h"
#include "zip/byte_reader.h"
#include "zip/char_set.h"
#include "zip/crc32.h"

namespace vornel {

bool TArArchiveItem::IsDirectory() const {
  if ((ExternalFileAttributes & 0xFF & faDirectory) != 0)
    return true;
  return !FileName.empty() && (FileName.back() == u'\\' || FileName.back() == u'/');
}

double ArDosDateTimeToDateTime(std::uint16_t date, std::uint16_t time) {
  const int day = date & 0x1F;
  const int month = (date >> 5) & 0x0F;
  const int year = 1980 + (date >> 9);
  const int second = (time & 0x1F) * 2;
  const int minute = (time >> 5) & 0x3F;
  const int hour = time >> 11;
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  const bool dateOk = month >= 1 && month <= 12 && day >= 1 &&
                      day <= kDays[month - 1] + ((month == 2 && leap) ? 1 : 0);
  if (!dateOk || hour > 23 || minute > 59 || second > 59) {
    throw EConvertError(u"Invalid MS-DOS date or time");
  }
  return EncodeDateTime(year, month, day, hour, minute, second);
}

double TArArchiveItem::LastModTimeAsDateTime() const {
  return ArDosDateTimeToDateTime(LastModFileDate, LastModFileTime);
}

std::uint32_t ArUnix2DosFileAttributes(std::uint32_t mode) {
  std::uint32_t result = 0;
  switch (mode & 0xF000) {
    case 0x1000:
    case 0x2000:
    case 0x6000:
    case 0xA000:
    case 0xC000:
      result = faSysFile;
      break;
    case 0x4000:
      result = faDirectory;
      break;
    default:
      break;
  }
  if ((mode & 0x80) == 0)
    result |= faReadOnly;
  return result;
}

std::uint32_t TArZipItem::NativeFileAttributes() const {
  if (HasUnixMode())
    return ArUnix2DosFileAttributes(UnixMode());
  return ExternalFileAttributes & 0xFF;
}

std::u16string ArDecodeItemName(const TArZipDirectoryFileHeader& header) {
  const TBytes& raw = header.RawFileName;
  const auto asUtf8 = [](const std::uint8_t* data, std::size_t size) {
    return FromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
  };
  if (header.IsUTF8() || ArDetectCharSet(raw) == csUTF8)
    return asUtf8(raw.data(), raw.size());

  const std::uint8_t* data = nullptr;
  std::uint16_t size = 0;
  if (header.ExtraField.Get(Ar_InfoZipUnicodePathSubfieldID, data, size) && size > 6 &&
      data[0] == 1) {
    const TBytes ansi = EncodeCodePage(AnsiCodePage(), header.FileName);
    if (LoadLE32(data + 1) == ArCRC32Of(ansi))
      return asUtf8(data + 5, size - 5u);
  }
  if (header.ExtraField.Get(Ar_XceedUnicodePathSubfieldID, data, size) && size > 10 &&
      LoadLE32(data) == Ar_XceedUnicodePathSignature) {
    const std::int32_t length = static_cast<std::int32_t>(LoadLE32(data + 4));
    if (length >= 0 && size == 2 * static_cast<std::int64_t>(length) + 8) {
      std::u16string name;
      for (std::int32_t i = 0; i < length; ++i)
        name.push_back(LoadLE16(data + 8 + 2 * i));
      return name;
    }
  }
  const int oem = OemCodePage();
  if (AnsiCodePage() != oem) {
    const bool dosHost = (header.VersionMadeBy >> 8) == hosDOS;
    if (dosHost || ArIsOEM(raw.data(), raw.size(), oem))
      return DecodeCodePage(oem, raw);
  }
  return header.FileName;
}

void TArZipItem::LoadFromStream(TStream& stream) {
  ItemInfo.LoadFromStream(stream);
  FileName = ArDecodeItemName(ItemInfo);

  CompressedSize = ItemInfo.CompressedSize;
  UncompressedSize = ItemInfo.UncompressedSize;
  RelativeOffset = ItemInfo.RelativeOffset;
  DiskNumberStart = ItemInfo.DiskNumberStart;
  const std::uint8_t* data = nullptr;
  std::uint16_t size = 0;
  if (ItemInfo.ExtraField.Get(Ar_Zip64SubfieldID, data, size)) {
    std::uint16_t pos = 0;
    const auto take64 = [&](std::int64_t& field) {
      if (pos + 8 > size)
        return;
      field = static_cast<std::int64_t>(LoadLE64(data + pos));
      pos += 8;
    };
    if (ItemInfo.UncompressedSize == 0xFFFFFFFF)
      take64(UncompressedSize);
    if (ItemInfo.CompressedSize == 0xFFFFFFFF)
      take64(CompressedSize);
    if (ItemInfo.RelativeOffset == 0xFFFFFFFF)
      take64(RelativeOffset);
    if (ItemInfo.DiskNumberStart == 0xFFFF && pos + 4 <= size)
      DiskNumberStart = LoadLE32(data + pos);
  }
  CRC32 = ItemInfo.CRC32;
  ExternalFileAttributes = ItemInfo.ExternalFileAttributes;
  IsEncrypted = ItemInfo.IsEncrypted();
  LastModFileTime = ItemInfo.LastModFileTime;
  LastModFileDate = ItemInfo.LastModFileDate;
  DiskFileName = FileName;
  for (char16_t& c : DiskFileName) {
    if (c == u'/' || c == u'\\')
      c = PathDelimiter;
  }
  Action = aaNone;
  Tagged = false;
}

}  // namespace vornel
