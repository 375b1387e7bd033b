#include "zip/methods/xz_decoder.h"

#include <lzma.h>

#include <string>
#include <vector>

#include "platform/text.h"
#include "zip/methods/legacy_error.h"

namespace vornel {

namespace {

// Dictionaries beyond this are refused instead of allocated.
constexpr std::uint64_t kMemoryLimit = 512ull << 20;
constexpr std::size_t kBlock = 32768;

class TLzmaStream {
 public:
  TLzmaStream() {
    if (lzma_stream_decoder(&FStream, kMemoryLimit, LZMA_CONCATENATED) != LZMA_OK) {
      throw EArLegacyDataError(u"XZ decompression failed: cannot start the decoder");
    }
  }
  ~TLzmaStream() { lzma_end(&FStream); }
  TLzmaStream(const TLzmaStream&) = delete;
  TLzmaStream& operator=(const TLzmaStream&) = delete;
  lzma_stream& Get() { return FStream; }

 private:
  lzma_stream FStream = LZMA_STREAM_INIT;
};

std::u16string XzError(lzma_ret result) {
  switch (result) {
    case LZMA_MEMLIMIT_ERROR:
      return u"XZ decompression failed: the dictionary is too large";
    case LZMA_FORMAT_ERROR:
      return u"XZ decompression failed: not an xz stream";
    case LZMA_OPTIONS_ERROR:
      return u"XZ decompression failed: unsupported options";
    case LZMA_DATA_ERROR:
      return u"XZ decompression failed: damaged data";
    case LZMA_BUF_ERROR:
      return u"XZ decompression failed: unexpected end of data";
    default:
      return u"XZ decompression failed: error " + IntToText(result);
  }
}

}  // namespace

void ArUnxz(TStream& source, TStream& dest, std::int64_t size) {
  TLzmaStream decoder;
  lzma_stream& s = decoder.Get();
  std::vector<std::uint8_t> in(65536), out(kBlock);
  std::int64_t produced = 0;
  bool inputEnded = false;
  for (;;) {
    if (s.avail_in == 0 && !inputEnded) {
      const auto n = source.Read(in.data(), static_cast<std::int64_t>(in.size()));
      s.next_in = in.data();
      s.avail_in = static_cast<std::size_t>(n);
      inputEnded = n == 0;
    }
    s.next_out = out.data();
    s.avail_out = out.size();
    const lzma_ret result = lzma_code(&s, inputEnded ? LZMA_FINISH : LZMA_RUN);
    const auto n = static_cast<std::int64_t>(out.size() - s.avail_out);
    if (produced + n > size)
      throw EArLegacyDataError(u"XZ decompression failed: more data than declared");
    dest.WriteBuffer(out.data(), n);
    produced += n;
    if (result == LZMA_STREAM_END)
      break;
    if (result != LZMA_OK)
      throw EArLegacyDataError(XzError(result));
    if (inputEnded && n == 0)
      throw EArLegacyDataError(XzError(LZMA_BUF_ERROR));
  }
  if (produced != size)
    throw EArLegacyDataError(u"XZ decompression failed: less data than declared");
}

}  // namespace vornel
