#include "zip/zip_archive.h"

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

void TArZipArchive::ReadZip64Footer(std::int64_t tail) {
  // The locator lies right before the end record, unless something was put in
  // between: search downwards one byte at a time.
  std::uint8_t locator[ArZip64LocatorSize];
  std::int64_t position = tail - ArZip64LocatorSize;
  for (;; --position) {
    if (position < 0)
      throw EArZipInvalid();
    FStream->SetPosition(position);
    if (FStream->Read(locator, ArZip64LocatorSize) == ArZip64LocatorSize &&
        LoadLE32(locator) == Ar_Zip64EndCentralDirectoryLocatorSignature) {
      break;
    }
  }
  FFooter.DiskNumber = LoadLE32(locator + 16) - 1;
  const std::int64_t recordOffset = static_cast<std::int64_t>(LoadLE64(locator + 8));
  if (recordOffset < 0)
    throw EArZipInvalid();
  FStream->SetPosition(recordOffset);
  const TBytes record = ReadLenient(*FStream, ArZip64RecordSize);
  const std::uint8_t* p = record.data();
  if (LoadLE32(p) != Ar_Zip64EndCentralDirectorySignature)
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

  if (FFooter.IsZip64())
    ReadZip64Footer(tail);
  if (FFooter.DiskNumber != 0) {
    if (FFileName.empty())
      throw EArZipBadSpanStream();
    throw EArSpannedNotSupported();
  }

  FStream->SetPosition(FFooter.DirectoryOffset < 0 ? 0 : FFooter.DirectoryOffset);
  if (FFooter.DirectoryOffset < 0)
    throw EArZipInvalid();
  const std::int64_t total = FFooter.TotalEntries;
  while (FItems.Count() < total) {
    auto item = std::make_unique<TArZipItem>();
    item->LoadFromStream(*FStream);
    item->Action = aaNone;
    FItems.Add(std::move(item));
    DoArchiveProgress(ArPercentage(FItems.Count(), total), abort);
    if (abort) {
      FStatus = asInvalid;
      throw EArUserAbort();
    }
  }
  DoArchiveProgress(100, abort);
  FModified = false;
}

}  // namespace vornel
