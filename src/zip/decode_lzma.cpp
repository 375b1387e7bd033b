#include <lzma.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "platform/text.h"
#include "zip/ar_exceptions.h"
#include "zip/byte_reader.h"
#include "zip/method_decoders.h"

namespace vornel {

namespace {

[[noreturn]] void Fail(const char16_t* text) {
  throw EArDecoderError(text);
}

[[noreturn]] void FailWith(lzma_ret code) {
  switch (code) {
    case LZMA_DATA_ERROR:
      Fail(u"LZMA Data Error.");
    case LZMA_MEM_ERROR:
      Fail(u"LZMA Memory Error.");
    case LZMA_OPTIONS_ERROR:
      Fail(u"LZMA Unsupported Properties Error.");
    case LZMA_BUF_ERROR:
      Fail(u"LZMA Input EOF Error.");
    default:
      throw EArDecoderError(u"Unknown LZMA error (" + IntToText(static_cast<int>(code)) + u")");
  }
}

// Ends the liblzma decoder on every path.
struct TLzmaDecoder {
  lzma_stream Stream = LZMA_STREAM_INIT;
  ~TLzmaDecoder() { lzma_end(&Stream); }
};

}  // namespace

void ArDecodeLzma(TArDecodeJob& job) {
  // 2 bytes of encoder version, 2 bytes of properties length, the properties.
  std::uint8_t head[4];
  if (job.In.Read(head, 4) != 4)
    Fail(u"LZMA Input EOF Error.");
  const std::uint16_t propsLength = LoadLE16(head + 2);
  if (propsLength < 5)
    Fail(u"LZMA Unsupported Properties Error.");
  std::vector<std::uint8_t> props(propsLength);
  if (job.In.Read(props.data(), propsLength) != propsLength)
    Fail(u"LZMA Input EOF Error.");

  lzma_filter filters[2] = {{LZMA_FILTER_LZMA1, nullptr}, {LZMA_VLI_UNKNOWN, nullptr}};
  lzma_ret ret = lzma_properties_decode(&filters[0], nullptr, props.data(), 5);
  if (ret != LZMA_OK)
    FailWith(ret);
  auto* options = static_cast<lzma_options_lzma*>(filters[0].options);
  // The declared dictionary is taken on trust nowhere: no more of it is needed
  // than the item's size, and no item may ask for more than the xz path allows.
  const std::uint64_t declared = options->dict_size;
  const std::uint64_t needed = std::max<std::uint64_t>(
      LZMA_DICT_SIZE_MIN,
      std::min<std::uint64_t>(declared, static_cast<std::uint64_t>(job.Item.UncompressedSize)));
  if (needed > ArLzmaDictionaryLimit) {
    std::free(options);
    throw EArDecoderError(u"LZMA dictionary of " + IntToText(static_cast<std::int64_t>(needed)) +
                          u" bytes is larger than the limit of " +
                          IntToText(static_cast<std::int64_t>(ArLzmaDictionaryLimit)) + u" bytes");
  }
  options->dict_size = static_cast<std::uint32_t>(needed);
  // The size is known from the directory: decode exactly that many bytes, with or
  // without an end marker.
  filters[0].id = LZMA_FILTER_LZMA1EXT;
  const auto size = static_cast<std::uint64_t>(job.Item.UncompressedSize);
  options->ext_flags = LZMA_LZMA1EXT_ALLOW_EOPM;
  options->ext_size_low = static_cast<std::uint32_t>(size);
  options->ext_size_high = static_cast<std::uint32_t>(size >> 32);
  TLzmaDecoder decoder;
  ret = lzma_raw_decoder(&decoder.Stream, filters);
  std::free(options);
  if (ret != LZMA_OK)
    FailWith(ret);

  constexpr std::size_t kBlock = 65536;
  std::vector<std::uint8_t> input(kBlock);
  std::vector<std::uint8_t> output(kBlock);
  lzma_stream& lz = decoder.Stream;
  for (;;) {
    lzma_action action = LZMA_RUN;
    if (lz.avail_in == 0) {
      const std::int64_t got = job.In.Read(input.data(), static_cast<std::int64_t>(kBlock));
      lz.next_in = input.data();
      lz.avail_in = static_cast<std::size_t>(got);
      if (got == 0)
        action = LZMA_FINISH;
    }
    lz.next_out = output.data();
    lz.avail_out = kBlock;
    ret = lzma_code(&lz, action);
    job.Out.WriteBuffer(output.data(), static_cast<std::int64_t>(kBlock - lz.avail_out));
    if (ret == LZMA_STREAM_END)
      return;
    if (ret != LZMA_OK)
      FailWith(ret);
    if (action == LZMA_FINISH && lz.avail_out == kBlock)
      Fail(u"LZMA Input EOF Error.");
  }
}

}  // namespace vornel
