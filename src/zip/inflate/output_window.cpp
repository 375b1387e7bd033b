#include "zip/inflate/output_window.h"

#include <cstring>

#include "zip/inflate/checksum.h"
#include "zip/inflate/inflate_errors.h"

namespace vornel {

namespace {
constexpr std::size_t kWritePoint = 65536;
constexpr std::size_t kWritePoint64 = 98304;
constexpr std::size_t kLongestMatch = 258;
constexpr std::size_t kLongestMatch64 = 65538;
}  // namespace

TArDfOutputWindow::TArDfOutputWindow(TStream& dest, bool deflate64, bool testOnly, bool adler32,
                                     std::int64_t partialSize)
    : FDest(dest),
      FTestOnly(testOnly),
      FAdler32(adler32),
      FWritePoint(deflate64 ? kWritePoint64 : kWritePoint),
      FChecksum(adler32 ? 1 : 0) {
  if (partialSize > 0) {
    FPartialLimit = partialSize < static_cast<std::int64_t>(FWritePoint)
                        ? static_cast<std::size_t>(partialSize)
                        : FWritePoint;
  }
  FStopAt = FPartialLimit > 0 ? FPartialLimit : FWritePoint;
  const std::size_t size = FWritePoint + (deflate64 ? kLongestMatch64 : kLongestMatch) + kCopySlack;
  FBuffer = std::make_unique_for_overwrite<std::uint8_t[]>(size);
}

void TArDfOutputWindow::Reached() {
  if (FPartialLimit > 0 && FPosition >= FPartialLimit)
    throw TArDfQuietStop();
  // A deflate64 match can carry the position more than one slide past the write
  // point; sliding until it is below keeps the next match inside the buffer.
  while (FPosition >= FWritePoint)
    Slide();
}

void TArDfOutputWindow::Emit(std::size_t count) {
  if (count == 0)
    return;
  const std::uint8_t* data = FBuffer.get();
  FChecksum =
      FAdler32 ? ArAdler32Update(FChecksum, data, count) : ArCrc32Update(FChecksum, data, count);
  FBytesOut += static_cast<std::int64_t>(count);
  if (!FTestOnly)
    FDest.WriteBuffer(data, static_cast<std::int64_t>(count));
}

void TArDfOutputWindow::Slide() {
  Emit(kSlide);
  std::memmove(FBuffer.get(), FBuffer.get() + kSlide, FPosition - kSlide);
  FPosition -= kSlide;
  // At least one slide's worth (more in deflate64) stays behind, and the write
  // point leaves at least the largest distance of the mode.
  FHistoryBehind = FWritePoint;
}

void TArDfOutputWindow::Flush() {
  const std::size_t count = FPosition;
  FPosition = 0;
  Emit(count);
}

}  // namespace vornel
