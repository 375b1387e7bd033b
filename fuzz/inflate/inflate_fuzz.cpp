// Raw deflate and deflate64 input for the inflater. The first byte picks the mode:
// bit 0 deflate64, bits 1-3 the size of the source's reads (0: whole buffer).
//
// Every input also goes through the inflater with the decoding loop's plain
// variant, which must agree with the one Inflate took: success or failure, and
// every byte.
//
// In deflate mode every input is also given to zlib: both must succeed with the
// same bytes and the same count of consumed input, or both must fail, the bytes
// produced before the failure agreeing. (Where the two could differ, zlib
// would be the stricter one; no such input is known.)
#include <zlib.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/memory_stream.h"
#include "zip/inflate/checksum.h"
#include "zip/inflate/inflate.h"
#include "zip/inflate/inflater.h"

namespace {

using vornel::TMemoryStream;

// Source that hands out at most Piece bytes per read.
class PieceStream : public TMemoryStream {
 public:
  explicit PieceStream(std::int64_t piece) : FPiece(piece) {}
  std::int64_t Read(void* buffer, std::int64_t count) override {
    return TMemoryStream::Read(buffer, FPiece > 0 ? std::min(count, FPiece) : count);
  }

 private:
  std::int64_t FPiece;
};

// Outputs beyond this size get no verdict; it keeps every run short.
constexpr std::int64_t kOutputLimit = 1 << 20;

struct TooBig {};

// Destination that refuses to grow past the limit (the exception passes through
// the inflater unchanged).
class LimitedStream : public TMemoryStream {
 public:
  std::int64_t Write(const void* buffer, std::int64_t count) override {
    if (Size() + count > kOutputLimit)
      throw TooBig();
    return TMemoryStream::Write(buffer, count);
  }
};

void Check(bool condition) {
  if (!condition)
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1)
    return 0;
  const bool deflate64 = (data[0] & 1) != 0;
  const std::int64_t piece = (data[0] >> 1) & 7;
  ++data;
  --size;

  PieceStream source(piece * piece);
  if (size > 0)
    source.WriteBuffer(data, static_cast<std::int64_t>(size));
  source.SetPosition(0);
  LimitedStream dest;
  vornel::TArDeflateHelper settings;
  settings.SetOptions(vornel::dfc_Default | (deflate64 ? vornel::dfc_UseDeflate64 : 0));
  bool ok = true;
  std::uint32_t crc = 0;
  try {
    crc = vornel::Inflate(source, dest, &settings);
  } catch (const vornel::EArInflateError&) {
    ok = false;
  } catch (const TooBig&) {
    return 0;
  }
  const std::vector<std::uint8_t>& ours = dest.Bytes();
  if (ok) {
    Check(crc == vornel::ArCrc32Update(0, ours.data(), ours.size()));
    Check(settings.NormalSize() == static_cast<std::int64_t>(ours.size()));
    Check(source.Position() == settings.CompressedSize());
  }
  PieceStream plainSource(piece * piece);
  if (size > 0)
    plainSource.WriteBuffer(data, static_cast<std::int64_t>(size));
  plainSource.SetPosition(0);
  LimitedStream plainDest;
  vornel::TArDeflateHelper plainSettings = settings;
  bool plainOk = true;
  try {
    vornel::ArDfInflateWithLoop(plainSource, plainDest, &plainSettings, false);
  } catch (const vornel::EArInflateError&) {
    plainOk = false;
  }
  Check(plainOk == ok);
  if (ok)
    Check(plainSettings.CompressedSize() == settings.CompressedSize());
  Check(plainDest.Bytes() == ours);
  if (deflate64)
    return 0;

  z_stream z{};
  if (inflateInit2(&z, -15) != Z_OK)
    return 0;
  static std::vector<std::uint8_t> buffer(kOutputLimit + 1);
  z.next_in = const_cast<Bytef*>(data);
  z.avail_in = static_cast<uInt>(size);
  z.next_out = buffer.data();
  z.avail_out = static_cast<uInt>(buffer.size());
  const int status = inflate(&z, Z_FINISH);
  const bool zlibOk = status == Z_STREAM_END;
  const std::vector<std::uint8_t> theirs(buffer.begin(),
                                         buffer.begin() + static_cast<std::ptrdiff_t>(z.total_out));
  const auto zlibConsumed = static_cast<std::int64_t>(z.total_in);
  inflateEnd(&z);
  if (status == Z_BUF_ERROR && z.avail_out == 0)
    return 0;  // output limit, no verdict

  Check(ok == zlibOk);
  if (ok) {
    Check(ours == theirs);
    Check(settings.CompressedSize() == zlibConsumed);
  } else {
    // Before a failure the two may stop at different points (zlib hands out part
    // of a cut-off stored block), but what both produced must agree.
    const std::size_t common = std::min(ours.size(), theirs.size());
    Check(std::equal(ours.begin(), ours.begin() + static_cast<std::ptrdiff_t>(common),
                     theirs.begin()));
  }
  return 0;
}
