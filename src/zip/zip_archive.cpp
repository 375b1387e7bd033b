#include "zip/zip_archive.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "platform/code_page.h"
#include "platform/file_stream.h"
#include "platform/file_system.h"
#include "platform/temp_folder.h"
#include "zip/ar_exceptions.h"
#include "zip/arc_type.h"
#include "zip/buffered_read_stream.h"
#include "zip/byte_reader.h"

namespace vornel {

TArZipArchive::TArZipArchive(const std::u16string& fileName, std::uint16_t mode)
    : FFileName(fileName),
      FMode(mode),
      FStream(
          std::make_unique<TArBufferedReadStream>(std::make_unique<TFileStream>(fileName, mode))),
      FBaseDirectory(ExcludeTrailingPathDelimiter(ExtractFilePath(ExecutablePath()))) {}

TArZipArchive::TArZipArchive(std::unique_ptr<TStream> stream)
    : FStream(std::move(stream)),
      FBaseDirectory(ExcludeTrailingPathDelimiter(ExtractFilePath(ExecutablePath()))) {}

TArZipArchive::~TArZipArchive() = default;

void TArZipArchive::CheckValid() const {
  if (FStatus == asInvalid)
    throw EArNoArchive();
}

void TArZipArchive::SetBaseDirectory(const std::u16string& folder) {
  std::u16string value = folder;
  if (value.size() > 1 && value.back() == PathDelimiter)
    value.pop_back();
  if (!value.empty() && !DirectoryExists(value))
    throw EArNoSuchDirectory();
  FBaseDirectory = value;
}

void TArZipArchive::DoItemProgress(std::uint8_t progress, bool& abort) {
  abort = false;
  if (OnArchiveItemProgress && CurrentItem)
    OnArchiveItemProgress(*CurrentItem, progress, abort);
}

void TArZipArchive::DoArchiveProgress(std::uint8_t progress, bool& abort) {
  abort = false;
  if (OnArchiveProgress)
    OnArchiveProgress(progress, abort);
}

void TArZipArchive::Load() {
  try {
    LoadArchive();
    FStatus = asIdle;
  } catch (...) {
    if (OnLoad)
      OnLoad();
    throw;
  }
  if (OnLoad)
    OnLoad();
}

bool TArZipArchive::ReadZip64Footer(std::int64_t tail, std::int64_t& recordPosition) {
  // The locator lies right before the end record, or there is none: an archive of
  // exactly 65 535 entries (or a 4 GiB directory offset) without Zip64 records
  // keeps the values of its end record.
  const std::int64_t locatorPosition = tail - ArZip64LocatorSize;
  if (locatorPosition < 0)
    return false;
  FStream->SetPosition(locatorPosition);
  const TBytes locator = ReadLenient(*FStream, ArZip64LocatorSize);
  if (LoadLE32(locator.data()) != Ar_Zip64EndCentralDirectoryLocatorSignature)
    return false;
  FFooter.DiskNumber = LoadLE32(locator.data() + 16) - 1;
  const auto stated = static_cast<std::int64_t>(LoadLE64(locator.data() + 8));
  // Something put in front of the archive moves the record as it moves the
  // directory; the record of the usual size then ends at the locator.
  std::int64_t position = stated;
  TBytes record;
  for (const std::int64_t candidate : {stated, locatorPosition - ArZip64RecordSize}) {
    if (candidate < 0)
      continue;
    FStream->SetPosition(candidate);
    record = ReadLenient(*FStream, ArZip64RecordSize);
    position = candidate;
    if (LoadLE32(record.data()) == Ar_Zip64EndCentralDirectorySignature)
      break;
  }
  const std::uint8_t* p = record.data();
  if (record.empty() || LoadLE32(p) != Ar_Zip64EndCentralDirectorySignature)
    throw EArZipInvalid();
  if (FFooter.StartDiskNumber == 0xFFFF)
    FFooter.StartDiskNumber = LoadLE32(p + 20);
  if (FFooter.EntriesOnDisk == 0xFFFF)
    FFooter.EntriesOnDisk = static_cast<std::int64_t>(LoadLE64(p + 24));
  if (FFooter.TotalEntries == 0xFFFF)
    FFooter.TotalEntries = static_cast<std::int64_t>(LoadLE64(p + 32));
  if (FFooter.DirectorySize == 0xFFFFFFFF)
    FFooter.DirectorySize = static_cast<std::int64_t>(LoadLE64(p + 40));
  if (FFooter.DirectoryOffset == 0xFFFFFFFF)
    FFooter.DirectoryOffset = static_cast<std::int64_t>(LoadLE64(p + 48));
  recordPosition = position;
  return true;
}

std::int64_t TArZipArchive::DirectoryShift(std::int64_t directoryEnd) {
  if (FFooter.TotalEntries <= 0 || FFooter.DirectoryOffset < 0 || FFooter.DirectorySize < 0)
    return 0;
  const auto signatureAt = [this](std::int64_t position) {
    if (position < 0)
      return false;
    FStream->SetPosition(position);
    const TBytes head = ReadLenient(*FStream, 4);
    return LoadLE32(head.data()) == Ar_ZipCentralDirectoryFileHeaderSignature;
  };
  if (signatureAt(FFooter.DirectoryOffset))
    return 0;
  // A stub or padding in front of the archive, its offsets counted from the
  // archive's own start: the directory ends where the end records begin.
  const std::int64_t shift = directoryEnd - FFooter.DirectorySize - FFooter.DirectoryOffset;
  if (shift != 0 && signatureAt(FFooter.DirectoryOffset + shift))
    return shift;
  return 0;
}

void TArZipArchive::CheckItemRanges(std::int64_t directoryStart) {
  // The bytes of every item: its local header with name and extra field, its
  // data, and the smallest data descriptor when it has one. Two items sharing
  // bytes would let a small archive unpack to an unbounded size.
  struct TRange {
    std::int64_t Start;
    std::int64_t End;
    int Index;
  };
  std::vector<TRange> ranges;
  ranges.reserve(static_cast<std::size_t>(FItems.Count()));
  for (int i = 0; i < FItems.Count(); ++i) {
    const TArZipItem& item = FItems[i];
    if (item.RelativeOffset < 0 || item.CompressedSize < 0)
      throw EArZipBadCentralDirectory();
    ranges.push_back({item.RelativeOffset, 0, i});
  }
  std::sort(ranges.begin(), ranges.end(),
            [](const TRange& a, const TRange& b) { return a.Start < b.Start; });
  constexpr std::int64_t kDescriptorSize = 12;
  for (TRange& range : ranges) {
    const TArZipItem& item = FItems[range.Index];
    FStream->SetPosition(range.Start);
    const TBytes local = ReadLenient(*FStream, ArLocalHeaderSize);
    std::int64_t header =
        ArLocalHeaderSize + static_cast<std::int64_t>(item.ItemInfo.RawFileName.size());
    if (LoadLE32(local.data()) == Ar_ZipLocalFileHeaderSignature)
      header = ArLocalHeaderSize + LoadLE16(local.data() + 26) + LoadLE16(local.data() + 28);
    std::int64_t length = header;
    if (item.ItemInfo.HasDataDescriptor())
      length += kDescriptorSize;
    if (item.CompressedSize > std::numeric_limits<std::int64_t>::max() - length - range.Start)
      throw EArZipBadCentralDirectory();
    range.End = range.Start + length + item.CompressedSize;
  }
  for (std::size_t i = 0; i < ranges.size(); ++i) {
    const std::int64_t next = i + 1 < ranges.size() ? ranges[i + 1].Start : directoryStart;
    if (ranges[i].End > next)
      throw EArZipBadCentralDirectory();
  }
}

void TArZipArchive::LoadArchive() {
  FItems.Clear();
  FFooter = TArZipDirectoryFileFooter();
  bool abort = false;
  if (FStream->Size() == 0)
    return;

  const std::int64_t tail = FindCentralDirectoryTail(*FStream);
  if (tail < 0) {
    // A spanned set would ask for its last disk here; single files cannot help.
    FStatus = asInvalid;
    throw EArZipInvalid();
  }
  FStream->SetPosition(tail);
  const TBytes end = ReadLenient(*FStream, ArEndOfCentralDirectorySize);
  const std::uint8_t* p = end.data();
  if (LoadLE32(p) != Ar_ZipEndCentralDirectorySignature)
    throw EArZipInvalid();
  FFooter.DiskNumber = LoadLE16(p + 4);
  FFooter.StartDiskNumber = LoadLE16(p + 6);
  FFooter.EntriesOnDisk = LoadLE16(p + 8);
  FFooter.TotalEntries = LoadLE16(p + 10);
  FFooter.DirectorySize = LoadLE32(p + 12);
  FFooter.DirectoryOffset = LoadLE32(p + 16);
  const std::uint16_t commentLength = LoadLE16(p + 20);
  if (commentLength > 0) {
    FFooter.ZipfileComment = DecodeCodePage(AnsiCodePage(), ReadLenient(*FStream, commentLength));
  }

  std::int64_t directoryEnd = tail;
  if (FFooter.IsZip64())
    ReadZip64Footer(tail, directoryEnd);
  if (FFooter.DiskNumber != 0) {
    if (FFileName.empty())
      throw EArZipBadSpanStream();
    throw EArSpannedNotSupported();
  }

  if (FFooter.DirectoryOffset < 0)
    throw EArZipInvalid();
  const std::int64_t shift = DirectoryShift(directoryEnd);
  const std::int64_t directoryStart = FFooter.DirectoryOffset + shift;
  FStream->SetPosition(directoryStart);
  const std::int64_t total = FFooter.TotalEntries;
  while (FItems.Count() < total) {
    auto item = std::make_unique<TArZipItem>();
    item->LoadFromStream(*FStream);
    item->RelativeOffset += shift;
    item->Action = aaNone;
    FItems.Add(std::move(item));
    DoArchiveProgress(ArPercentage(FItems.Count(), total), abort);
    if (abort) {
      FStatus = asInvalid;
      throw EArUserAbort();
    }
  }
  try {
    CheckItemRanges(directoryStart);
  } catch (...) {
    FStatus = asInvalid;  // nothing of it may be extracted
    throw;
  }
  DoArchiveProgress(100, abort);
  FModified = false;
}

}  // namespace vornel
