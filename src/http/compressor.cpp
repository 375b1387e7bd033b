#include "http/compressor.h"

#include <zlib.h>

#include <array>
#include <vector>

namespace vornel {

namespace {

constexpr std::size_t kChunk = 32768;

// A z_stream set up for inflating, ended on every path.
class TInflater {
 public:
  explicit TInflater(int windowBits) {
    if (inflateInit2(&FStream, windowBits) != Z_OK) {
      throw ENetDecompressionError(u"The decompressor could not be initialised.");
    }
  }
  ~TInflater() { inflateEnd(&FStream); }
  TInflater(const TInflater&) = delete;
  TInflater& operator=(const TInflater&) = delete;
  z_stream& Stream() { return FStream; }

 private:
  z_stream FStream{};
};

// Inflates `data` from `offset` with one zlib stream; returns the bytes taken.
std::size_t InflateOne(const std::vector<std::uint8_t>& data, std::size_t offset, int windowBits,
                       TStream& output) {
  TInflater inflater(windowBits);
  z_stream& z = inflater.Stream();
  z.next_in = const_cast<Bytef*>(data.data() + offset);
  z.avail_in = static_cast<uInt>(data.size() - offset);
  std::array<std::uint8_t, kChunk> out{};
  for (;;) {
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    const int result = inflate(&z, Z_NO_FLUSH);
    const std::size_t produced = out.size() - z.avail_out;
    if (produced > 0)
      output.WriteBuffer(out.data(), static_cast<std::int64_t>(produced));
    if (result == Z_STREAM_END)
      break;
    if (result == Z_BUF_ERROR && z.avail_in == 0) {
      throw ENetDecompressionError(u"The compressed body ends too early.");
    }
    if (result != Z_OK && result != Z_BUF_ERROR) {
      throw ENetDecompressionError(u"The compressed body is corrupt.");
    }
  }
  return data.size() - offset - z.avail_in;
}

std::vector<std::uint8_t> ReadRest(TStream& input) {
  std::vector<std::uint8_t> data;
  std::array<std::uint8_t, kChunk> block{};
  for (;;) {
    const std::int64_t got = input.Read(block.data(), static_cast<std::int64_t>(block.size()));
    if (got <= 0)
      break;
    data.insert(data.end(), block.begin(), block.begin() + got);
  }
  return data;
}

}  // namespace

void TNetCompressorZLib::DecompressDeflateStream(TStream& input, TStream& output) {
  const std::vector<std::uint8_t> data = ReadRest(input);
  if (data.empty())
    return;
  // A zlib header: method 8, and the first two bytes a multiple of 31.
  const bool wrapped =
      data.size() >= 2 && (data[0] & 0x0F) == 8 && ((data[0] << 8) | data[1]) % 31 == 0;
  InflateOne(data, 0, wrapped ? MAX_WBITS : -MAX_WBITS, output);
}

void TNetCompressorZLib::DecompressGZipStream(TStream& input, TStream& output) {
  const std::vector<std::uint8_t> data = ReadRest(input);
  std::size_t offset = 0;
  while (offset < data.size()) {
    offset += InflateOne(data, offset, 16 + MAX_WBITS, output);
    // Padding of zero bytes after the last member is tolerated.
    while (offset < data.size() && data[offset] == 0)
      ++offset;
  }
}

}  // namespace vornel
