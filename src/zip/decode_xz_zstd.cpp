#include "zip/ar_exceptions.h"
#include "zip/method_decoders.h"
#include "zip/methods/legacy_error.h"
#include "zip/methods/xz_decoder.h"
#include "zip/methods/zstd_decoder.h"

// The methods of current archivers beyond deflate: xz and Zstandard.

namespace vornel {

namespace {

template <typename Decode>
void Guarded(Decode decode) {
  try {
    decode();
  } catch (const EArLegacyDataError& e) {
    throw EArDecoderError(e.Message());
  }
}

}  // namespace

void ArDecodeXz(TArDecodeJob& job) {
  Guarded([&] { ArUnxz(job.In, job.Out, job.Item.UncompressedSize); });
}

void ArDecodeZstd(TArDecodeJob& job) {
  Guarded([&] { ArUnzstd(job.In, job.Out, job.Item.UncompressedSize); });
}

}  // namespace vornel
