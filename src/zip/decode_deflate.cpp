#include "zip/inflate/inflate.h"
#include "zip/method_decoders.h"

namespace vornel {

namespace {

void Run(TArDecodeJob& job, std::int32_t options) {
  TArDeflateHelper settings;
  settings.SetOptions(options);
  settings.SetStreamSize(job.Item.CompressedSize);
  Inflate(job.In, job.Out, &settings);
}

}  // namespace

void ArDecodeDeflate(TArDecodeJob& job) {
  Run(job, dfc_Default);
}
void ArDecodeDeflate64(TArDecodeJob& job) {
  Run(job, dfc_Default | dfc_UseDeflate64);
}

}  // namespace vornel
