// The decoders of the compression methods and the one table that maps a method
// number to its decoder. A method without an entry is unsupported.
#pragma once

#include <cstdint>

#include "platform/stream.h"
#include "zip/output_stream.h"
#include "zip/zip_item.h"

namespace vornel {

// What one decoder run works on: the item (sizes, flags), its data stream, and
// the output stream that checks the size and computes the CRC-32.
struct TArDecodeJob {
  const TArZipItem& Item;
  TStream& In;
  TArUnzipOutputStream& Out;
};

using TArMethodDecoder = void (*)(TArDecodeJob& job);

// The decoder of a method, or null when the method is not supported.
TArMethodDecoder ArMethodDecoder(std::uint16_t method);

void ArDecodeStored(TArDecodeJob& job);
void ArDecodeDeflate(TArDecodeJob& job);
void ArDecodeDeflate64(TArDecodeJob& job);
void ArDecodeBzip2(TArDecodeJob& job);
// Method 14 uses a dictionary of at most max(4 KiB, min(declared, uncompressed
// size)); beyond this limit (that of the xz path) the item fails.
inline constexpr std::uint64_t ArLzmaDictionaryLimit = 512ull << 20;
void ArDecodeLzma(TArDecodeJob& job);
void ArDecodeWavPack(TArDecodeJob& job);
void ArDecodeShrunk(TArDecodeJob& job);
void ArDecodeReduced(TArDecodeJob& job);
void ArDecodeImploded(TArDecodeJob& job);
void ArDecodeXz(TArDecodeJob& job);
void ArDecodeZstd(TArDecodeJob& job);
void ArDecodePpmd(TArDecodeJob& job);

}  // namespace vornel
