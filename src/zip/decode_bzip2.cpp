#include <bzlib.h>

#include <vector>

#include "zip/ar_exceptions.h"
#include "zip/method_decoders.h"

namespace vornel {

namespace {

// Ends the libbz2 decoder on every path.
struct TBzDecoder {
  bz_stream Stream{};
  TBzDecoder() {
    if (BZ2_bzDecompressInit(&Stream, 0, 0) != BZ_OK) {
      throw EArDecoderError(u"BZip2 decompression failed: cannot start the decoder");
    }
  }
  ~TBzDecoder() { BZ2_bzDecompressEnd(&Stream); }
  TBzDecoder(const TBzDecoder&) = delete;
  TBzDecoder& operator=(const TBzDecoder&) = delete;
};

}  // namespace

void ArDecodeBzip2(TArDecodeJob& job) {
  constexpr std::size_t kBlock = 65536;
  std::vector<char> input(kBlock);
  std::vector<char> output(kBlock);
  TBzDecoder decoder;
  bz_stream& bz = decoder.Stream;
  bool ended = false;
  while (!ended) {
    if (bz.avail_in == 0) {
      const std::int64_t got = job.In.Read(input.data(), static_cast<std::int64_t>(kBlock));
      if (got == 0)
        throw EArDecoderError(u"BZip2 decompression failed: the data ends early");
      bz.next_in = input.data();
      bz.avail_in = static_cast<unsigned>(got);
    }
    do {
      bz.next_out = output.data();
      bz.avail_out = static_cast<unsigned>(kBlock);
      const int result = BZ2_bzDecompress(&bz);
      if (result != BZ_OK && result != BZ_STREAM_END) {
        throw EArDecoderError(u"BZip2 decompression failed: damaged data");
      }
      job.Out.WriteBuffer(output.data(), static_cast<std::int64_t>(kBlock - bz.avail_out));
      ended = result == BZ_STREAM_END;
    } while (!ended && bz.avail_out == 0);
  }
  if (job.Out.BytesWritten() != job.Item.UncompressedSize) {
    throw EArDecoderError(u"BZip2 decompression failed: the data ends before the item's size");
  }
}

}  // namespace vornel
