#include "zip/inflate/output_window.h"

#include <algorithm>
#include <cstring>

#include "zip/inflate/checksum.h"
#include "zip/inflate/inflate_errors.h"

namespace vornel {

namespace {
constexpr std::size_t kWritePoint = 65536;
constexpr std::size_t kWritePoint64 = 98304;
constexpr std::size_t kLongestMatch = 258;
constexpr std::size_t kLongestMatch64 = 65538;
// Bytes decoded between two moves of the buffer; each move copies less than the
// write point and the last match.
constexpr std::size_t kRun = 262144;
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
  const std::size_t longest = deflate64 ? kLongestMatch64 : kLongestMatch;
  FMoveAt = FWritePoint + longest + kRun;
  FStopAt = FPartialLimit > 0 ? FPartialLimit : FWritePoint;
  FBuffer = std::make_unique_for_overwrite<std::uint8_t[]>(FMoveAt + longest + kCopySlack);
}

void TArDfOutputWindow::Reached() {
  if (FPartialLimit > 0 && FPosition >= FPartialLimit)
    throw TArDfQuietStop();
  // A deflate64 match can carry the position more than one write past the write
  // point.
  while (FPosition - FWritten >= FWritePoint) {
    Emit(FBuffer.get() + FWritten, kSlide);
    FWritten += kSlide;
  }
  if (FPosition >= FMoveAt) {
    // What is not written yet is at least the write point less one write: more
    // than any distance reaches.
    std::memmove(FBuffer.get(), FBuffer.get() + FWritten, FPosition - FWritten);
    FPosition -= FWritten;
    FWritten = 0;
  }
  FStopAt = std::min(FWritten + FWritePoint, FMoveAt);
}

void TArDfOutputWindow::Emit(const std::uint8_t* data, std::size_t count) {
  if (count == 0)
    return;
  FChecksum =
      FAdler32 ? ArAdler32Update(FChecksum, data, count) : ArCrc32Update(FChecksum, data, count);
  FBytesOut += static_cast<std::int64_t>(count);
  if (!FTestOnly)
    FDest.WriteBuffer(data, static_cast<std::int64_t>(count));
}

void TArDfOutputWindow::Flush() {
  const std::size_t from = FWritten;
  const std::size_t to = FPosition;
  FWritten = FPosition = 0;
  Emit(FBuffer.get() + from, to - from);
}

}  // namespace vornel
