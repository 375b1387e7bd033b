// Arbitrary bytes through the decoders of the legacy and newer zip methods. The
// first byte picks the decoder, the next two the declared size; the rest is the
// item's data. No input may crash, hang, or write past the declared size.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/memory_stream.h"
#include "support/discard_stream.h"
#include "zip/methods/explode.h"
#include "zip/methods/legacy_error.h"
#include "zip/methods/unreduce.h"
#include "zip/methods/unshrink.h"
#include "zip/methods/xz_decoder.h"
#include "zip/methods/zstd_decoder.h"

namespace {

// Drops what it is given and stops the run when a decoder overshoots.
class TLimitedSink : public vornel::testing::TDiscardStream {
 public:
  explicit TLimitedSink(std::int64_t limit) : FLimit(limit) {}
  std::int64_t Write(const void* buffer, std::int64_t count) override {
    if (Position() + count > FLimit)
      std::abort();
    return TDiscardStream::Write(buffer, count);
  }

 private:
  std::int64_t FLimit;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3)
    return 0;
  const unsigned which = data[0] % 11;
  const std::int64_t declared = data[1] | (data[2] << 8);  // up to 64 KiB
  vornel::TMemoryStream in;
  in.WriteBuffer(data + 3, static_cast<std::int64_t>(size - 3));
  in.SetPosition(0);
  TLimitedSink out(declared);
  try {
    if (which == 0) {
      vornel::ArUnshrink(in, out, declared);
    } else if (which <= 4) {
      vornel::ArUnreduce(in, out, declared, static_cast<int>(which));
    } else if (which <= 8) {
      vornel::ArExplode(in, out, declared, (which & 1) != 0, (which & 2) != 0);
    } else if (which == 9) {
      vornel::ArUnxz(in, out, declared);
    } else {
      vornel::ArUnzstd(in, out, declared);
    }
  } catch (const vornel::EArLegacyDataError&) {
  }
  return 0;
}
