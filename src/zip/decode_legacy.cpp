#include "zip/ar_exceptions.h"
#include "zip/ar_types.h"
#include "zip/method_decoders.h"
#include "zip/methods/explode.h"
#include "zip/methods/legacy_error.h"
#include "zip/methods/unreduce.h"
#include "zip/methods/unshrink.h"

// The methods of the early DOS archivers: shrink, reduce and implode.

namespace vornel {

namespace {

template <typename Decode>
void Guarded(const char16_t* method, Decode decode) {
  try {
    decode();
  } catch (const EArLegacyDataError& e) {
    throw EArDecoderError(std::u16string(method) + u" decompression failed: " + e.Message());
  }
}

}  // namespace

void ArDecodeShrunk(TArDecodeJob& job) {
  Guarded(u"Shrink", [&] { ArUnshrink(job.In, job.Out, job.Item.UncompressedSize); });
}

void ArDecodeReduced(TArDecodeJob& job) {
  const int factor = job.Item.ItemInfo.CompressionMethod - cmReduced1 + 1;
  Guarded(u"Reduce", [&] { ArUnreduce(job.In, job.Out, job.Item.UncompressedSize, factor); });
}

void ArDecodeImploded(TArDecodeJob& job) {
  const std::uint16_t flags = job.Item.ItemInfo.GeneralPurposeBitFlag;
  const bool largeDictionary = (flags & 0x0002) != 0;
  const bool literalTree = (flags & 0x0004) != 0;
  Guarded(u"Implode", [&] {
    ArExplode(job.In, job.Out, job.Item.UncompressedSize, largeDictionary, literalTree);
  });
}

}  // namespace vornel
