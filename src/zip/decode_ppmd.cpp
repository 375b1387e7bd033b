#include "zip/ar_exceptions.h"
#include "zip/method_decoders.h"
#include "zip/methods/legacy_error.h"
#include "zip/methods/ppmd_decoder.h"

// Method 98, PPMd variant I: the parameters come from the item's own data.

namespace vornel {

void ArDecodePpmd(TArDecodeJob& job) {
  try {
    ArUnppmd(job.In, job.Out, job.Item.UncompressedSize);
  } catch (const EArLegacyDataError& e) {
    throw EArDecoderError(u"PPMd decompression failed: " + e.Message());
  }
}

}  // namespace vornel
