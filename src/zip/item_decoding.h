// Turning one item of an open zip archive into its bytes: preparing its data
// (version, local header, password), decoding it through the method's decoder
// and checking its CRC-32.
#pragma once

#include <memory>
#include <string>

#include "platform/stream.h"
#include "zip/zip_archive.h"
#include "zip/zip_item.h"

namespace vornel {

// The item's data, positioned at its start: the input window, or a decryption
// stream over it. Raises before anything is decoded (version, local header,
// password).
std::unique_ptr<TStream> ExtractPrep(TArZipArchive& archive, TArZipItem& item);

// Decodes the item from in into out and checks the CRC-32: a mismatch goes to the
// archive's item-failure event with code 19, or raises EArZipBadCRC without one.
void DoExtract(TArZipArchive& archive, TArZipItem& item, TStream& in, TStream& out);

// ExtractPrep and DoExtract into a caller's stream (EArBadStream when null).
void ArUnzipToStream(TArZipArchive& archive, TArZipItem& item, TStream* stream);

// Compares the local header with the directory (EArZipInvalidLFH), then decodes
// the item without keeping its bytes.
void ArTestZipItem(TArZipArchive& archive, TArZipItem& item);

// Extracts the item to the path: a folder is created; a file is written from its
// data as a new file, and deleted again when decoding fails. Then the last-write
// time and the attributes are set on it. Below the archive's base folder every
// level is created and opened without following links (file_target.h); the
// missing levels are created.
void ArUnzip(TArZipArchive& archive, TArZipItem& item, const std::u16string& useName);

}  // namespace vornel
