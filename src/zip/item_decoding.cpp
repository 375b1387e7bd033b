#include "zip/item_decoding.h"

#include "zip/ar_exceptions.h"
#include "zip/byte_reader.h"
#include "zip/decrypt_stream.h"
#include "zip/file_target.h"
#include "zip/method_decoders.h"
#include "zip/output_stream.h"
#include "zip/subset_stream.h"

namespace vornel {

namespace {

void CheckVersion(const TArZipItem& item) {
  if ((item.ItemInfo.VersionNeededToExtract & 0xFF) > Ar_ZipVersion)
    throw EArZipVersion();
}

// Positions the archive at the item's local header and reads it. The local name
// must be the central one: the directory's checks of the item's bytes hold only
// for the header that the directory names.
TArZipLocalFileHeader ReadLocalHeader(TArZipArchive& archive, const TArZipItem& item) {
  if (item.RelativeOffset < 0 || item.CompressedSize < 0 || item.UncompressedSize < 0) {
    throw EArZipInvalid();
  }
  archive.Stream().SetPosition(item.RelativeOffset);
  TArZipLocalFileHeader header;
  header.LoadFromStream(archive.Stream());
  if (header.RawFileName != item.ItemInfo.RawFileName)
    throw EArZipInvalidLFH();
  return header;
}

// The data descriptor after the item's data matches the directory: with or
// without its signature, with 4- or 8-byte sizes.
bool DescriptorMatches(TArZipArchive& archive, const TArZipItem& item) {
  const std::int64_t dataStart = archive.Stream().Position();
  archive.Stream().SetPosition(dataStart + item.CompressedSize);
  const TBytes bytes = ReadLenient(archive.Stream(), 28);
  const std::uint8_t* p = bytes.data();
  for (const int skip : {0, 4}) {
    if (skip == 4 && LoadLE32(p) != Ar_ZipDataDescriptorSignature)
      continue;
    const std::uint8_t* d = p + skip;
    if (LoadLE32(d) != item.CRC32)
      continue;
    if (LoadLE32(d + 4) == item.CompressedSize && LoadLE32(d + 8) == item.UncompressedSize)
      return true;
    if (static_cast<std::int64_t>(LoadLE64(d + 4)) == item.CompressedSize &&
        static_cast<std::int64_t>(LoadLE64(d + 12)) == item.UncompressedSize) {
      return true;
    }
  }
  return false;
}

// Asks for a password, starting from the current one; an empty answer aborts.
void RequestPassword(TArZipArchive& archive, bool& abort) {
  std::u16string password = archive.Password;
  abort = false;
  if (!archive.OnNeedPassword)
    return;
  archive.OnNeedPassword(password);
  if (password.empty()) {
    abort = true;
  } else {
    archive.Password = password;
  }
}

std::unique_ptr<TStream> Decrypting(TArZipArchive& archive, std::unique_ptr<TStream> window,
                                    std::uint32_t checkValue) {
  int tries = 0;
  bool abort = false;
  if (archive.Password.empty()) {
    RequestPassword(archive, abort);
    ++tries;
    if (archive.Password.empty())
      throw EArZipInvalidPassword();
  }
  for (;;) {
    if (abort)
      throw EArUserAbort();
    auto decrypt = std::make_unique<TArDfDecryptStream>(*window, archive.Password, checkValue);
    if (decrypt->IsValid()) {
      decrypt->TakeOwnership(std::move(window));
      return decrypt;
    }
    ++tries;
    if (tries > archive.PasswordRetries)
      throw EArZipInvalidPassword();
    RequestPassword(archive, abort);
  }
}

}  // namespace

std::unique_ptr<TStream> ExtractPrep(TArZipArchive& archive, TArZipItem& item) {
  CheckVersion(item);
  const TArZipLocalFileHeader local = ReadLocalHeader(archive, item);
  const std::uint32_t checkValue = local.HasDataDescriptor()
                                       ? static_cast<std::uint32_t>(local.LastModFileTime) << 16
                                       : item.CRC32;
  // Data that no decoder here can read fails now: before a password is asked for
  // (AES items, for one) and before an existing target file is replaced.
  if (item.UncompressedSize > 0 && !ArMethodDecoder(item.ItemInfo.CompressionMethod))
    throw EArZipInvalidMethod();
  auto window = std::make_unique<TArUnzipSubsetStream>(archive.Stream(), item.CompressedSize);
  if (!item.IsEncrypted)
    return window;
  return Decrypting(archive, std::move(window), checkValue);
}

void DoExtract(TArZipArchive& archive, TArZipItem& item, TStream& in, TStream& out) {
  if (item.UncompressedSize == 0)
    return;
  TArUnzipOutputStream output(
      out, item.UncompressedSize,
      [&archive](std::uint8_t progress, bool& abort) { archive.DoItemProgress(progress, abort); });
  const TArMethodDecoder decoder = ArMethodDecoder(item.ItemInfo.CompressionMethod);
  if (!decoder)
    throw EArZipInvalidMethod();
  TArDecodeJob job{item, in, output};
  decoder(job);
  if (output.CRC32() != item.CRC32) {
    if (!archive.OnProcessItemFailure)
      throw EArZipBadCRC();
    archive.OnProcessItemFailure(item, ptExtract, ecArchive, EArZipBadCRC::Code_);
  }
}

void ArUnzipToStream(TArZipArchive& archive, TArZipItem& item, TStream* stream) {
  if (!stream)
    throw EArBadStream();
  std::unique_ptr<TStream> in = ExtractPrep(archive, item);
  DoExtract(archive, item, *in, *stream);
}

void ArTestZipItem(TArZipArchive& archive, TArZipItem& item) {
  CheckVersion(item);
  const TArZipLocalFileHeader local = ReadLocalHeader(archive, item);
  const TArZipDirectoryFileHeader& central = item.ItemInfo;
  bool same = local.VersionNeededToExtract == central.VersionNeededToExtract &&
              local.GeneralPurposeBitFlag == central.GeneralPurposeBitFlag &&
              local.LastModFileTime == central.LastModFileTime &&
              local.LastModFileDate == central.LastModFileDate;
  if (same && local.HasDataDescriptor()) {
    // The local CRC and sizes were not known when the header was written: the
    // descriptor after the data carries them.
    same = DescriptorMatches(archive, item);
  } else if (same) {
    same = local.CRC32 == central.CRC32;
  }
  if (same && !local.HasDataDescriptor()) {
    const std::uint8_t* zip64 = nullptr;
    std::uint16_t size = 0;
    if (local.ExtraField.Get(Ar_Zip64SubfieldID, zip64, size)) {
      same = size >= 16 && static_cast<std::int64_t>(LoadLE64(zip64)) == item.UncompressedSize &&
             static_cast<std::int64_t>(LoadLE64(zip64 + 8)) == item.CompressedSize;
    } else {
      same = item.UncompressedSize <= 0xFFFFFFFF && item.CompressedSize <= 0xFFFFFFFF &&
             local.UncompressedSize == item.UncompressedSize &&
             local.CompressedSize == item.CompressedSize;
    }
  }
  if (!same)
    throw EArZipInvalidLFH();
  TArNullStream sink;
  ArUnzipToStream(archive, item, &sink);
}

void ArUnzip(TArZipArchive& archive, TArZipItem& item, const std::u16string& useName) {
  const TArTargetPath target = ArSplitTargetPath(archive.BaseDirectory(), useName);
  const std::size_t levels = target.Levels.size();
  if (item.IsDirectory()) {
    const TArHandle folder = ArOpenFolderLevels(ArOpenBaseFolder(target), target, levels);
    ArApplyItemTimeAndAttributes(item, folder.Fd());
    return;
  }
  std::unique_ptr<TStream> in = ExtractPrep(archive, item);
  const TArHandle folder = ArOpenFolderLevels(ArOpenBaseFolder(target), target, levels - 1);
  const std::u16string& name = target.Levels.back();
  std::unique_ptr<TArHandleStream> file = ArCreateTargetFile(folder, name, target.Display);
  const auto discard = [&] {
    file.reset();
    ArRemoveTargetFile(folder, name);
  };
  try {
    DoExtract(archive, item, *in, *file);
  } catch (const EArUserAbort&) {
    archive.SetStatus(asInvalid);
    discard();
    throw;
  } catch (...) {
    discard();
    throw;
  }
  ArApplyItemTimeAndAttributes(item, file->Fd());
}

}  // namespace vornel
