// The inflater's output window: decoded bytes collect here, the recent ones serve
// as match history, and every 32768 bytes beyond the write point go to the
// destination.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/stream.h"

namespace vornel {

class TArDfOutputWindow {
 public:
  static constexpr std::size_t kSlide = 32768;
  // Room past the longest match for copies done in 16-byte words.
  static constexpr std::size_t kCopySlack = 64;

  // partialSize > 0 stops decoding quietly once that many bytes (at most the write
  // point) are in the window.
  TArDfOutputWindow(TStream& dest, bool deflate64, bool testOnly, bool adler32,
                    std::int64_t partialSize);
  TArDfOutputWindow(const TArDfOutputWindow&) = delete;
  TArDfOutputWindow& operator=(const TArDfOutputWindow&) = delete;

  std::uint8_t* Buffer() { return FBuffer.get(); }
  std::size_t Position() const { return FPosition; }
  void SetPosition(std::size_t position) { FPosition = position; }
  // Decoding may append while the position is below this point; a match that
  // starts below it always fits the buffer.
  std::size_t StopAt() const { return FStopAt; }
  // The bytes behind position 0 that are still valid history: none before the
  // first slide, all that a distance can reach after it.
  std::size_t HistoryBehind() const { return FHistoryBehind; }

  // Called when the position has reached StopAt: raises TArDfQuietStop at the
  // partial-size limit, otherwise slides until the position is below the write point.
  void Reached();
  // Writes everything the window holds to the destination.
  void Flush();

  std::uint32_t Checksum() const { return FChecksum; }
  // Bytes written to the destination (or counted in test-only mode).
  std::int64_t BytesOut() const { return FBytesOut; }

 private:
  void Emit(std::size_t count);
  void Slide();

  TStream& FDest;
  bool FTestOnly;
  bool FAdler32;
  std::size_t FWritePoint;
  std::size_t FPartialLimit = 0;
  std::size_t FStopAt;
  std::size_t FPosition = 0;
  std::size_t FHistoryBehind = 0;
  std::uint32_t FChecksum;
  std::int64_t FBytesOut = 0;
  std::unique_ptr<std::uint8_t[]> FBuffer;
};

}  // namespace vornel
