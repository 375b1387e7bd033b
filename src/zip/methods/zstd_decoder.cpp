#include "zip/methods/zstd_decoder.h"

#include <zstd.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/text.h"
#include "zip/methods/legacy_error.h"

namespace vornel {

namespace {

struct TFreeDStream {
  void operator()(ZSTD_DStream* stream) const { ZSTD_freeDStream(stream); }
};

}  // namespace

void ArUnzstd(TStream& source, TStream& dest, std::int64_t size) {
  std::unique_ptr<ZSTD_DStream, TFreeDStream> stream(ZSTD_createDStream());
  if (!stream || ZSTD_isError(ZSTD_initDStream(stream.get()))) {
    throw EArLegacyDataError(u"Zstandard decompression failed: cannot start the decoder");
  }
  std::vector<std::uint8_t> in(ZSTD_DStreamInSize()), out(ZSTD_DStreamOutSize());
  ZSTD_inBuffer input{in.data(), 0, 0};
  std::int64_t produced = 0;
  std::size_t hint = 1;     // not 0 until a frame has ended
  bool outputFull = false;  // the decoder may hold more output for the same input
  for (;;) {
    if (input.pos == input.size && !outputFull) {
      const auto n = source.Read(in.data(), static_cast<std::int64_t>(in.size()));
      if (n == 0)
        break;
      input = ZSTD_inBuffer{in.data(), static_cast<std::size_t>(n), 0};
    }
    ZSTD_outBuffer output{out.data(), out.size(), 0};
    hint = ZSTD_decompressStream(stream.get(), &output, &input);
    outputFull = output.pos == output.size;
    if (ZSTD_isError(hint)) {
      throw EArLegacyDataError(u"Zstandard decompression failed: " +
                               FromUtf8(ZSTD_getErrorName(hint)));
    }
    const auto n = static_cast<std::int64_t>(output.pos);
    if (produced + n > size) {
      throw EArLegacyDataError(u"Zstandard decompression failed: more data than declared");
    }
    dest.WriteBuffer(out.data(), n);
    produced += n;
  }
  if (hint != 0 || produced != size) {
    throw EArLegacyDataError(u"Zstandard decompression failed: less data than declared");
  }
}

}  // namespace vornel
