// The inflater's output window: decoded bytes collect here, the recent ones serve
// as match history, and they go to the destination in writes of 32768 bytes once
// the write point's worth of newer bytes follows them.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/stream.h"

namespace vornel {

class TArDfOutputWindow {
 public:
  static constexpr std::size_t kSlide = 32768;
  // Room past the longest match for copies done in words.
  static constexpr std::size_t kCopySlack = 64;

  // partialSize > 0 stops decoding quietly once that many bytes (at most the write
  // point) are in the window.
  TArDfOutputWindow(TStream& dest, bool deflate64, bool testOnly, bool adler32,
                    std::int64_t partialSize);
  TArDfOutputWindow(const TArDfOutputWindow&) = delete;
  TArDfOutputWindow& operator=(const TArDfOutputWindow&) = delete;

  // Every byte from the buffer's start to the position is decoded output, in order,
  // and a match may reach back to the buffer's start: after the buffer moves, at
  // least the largest distance of the mode stays behind the position.
  std::uint8_t* Buffer() { return FBuffer.get(); }
  std::size_t Position() const { return FPosition; }
  void SetPosition(std::size_t position) { FPosition = position; }
  // Decoding may append while the position is below this point; a match that
  // starts below it always fits the buffer, with kCopySlack bytes to spare.
  std::size_t StopAt() const { return FStopAt; }

  // Called when the position has reached StopAt: raises TArDfQuietStop at the
  // partial-size limit, otherwise writes the bytes that are due and, when the
  // buffer is full, moves the unwritten bytes to its start.
  void Reached();
  // Writes everything the window still holds to the destination.
  void Flush();

  std::uint32_t Checksum() const { return FChecksum; }
  // Bytes written to the destination (or counted in test-only mode).
  std::int64_t BytesOut() const { return FBytesOut; }

 private:
  void Emit(const std::uint8_t* data, std::size_t count);

  TStream& FDest;
  bool FTestOnly;
  bool FAdler32;
  // Bytes written are followed by at least this many newer ones: the write point
  // of a window that slides by 32768 bytes.
  std::size_t FWritePoint;
  std::size_t FPartialLimit = 0;
  // The buffer moves once the position reaches this point.
  std::size_t FMoveAt;
  std::size_t FStopAt;
  std::size_t FPosition = 0;
  // Bytes of the buffer before this offset are written (or counted).
  std::size_t FWritten = 0;
  std::uint32_t FChecksum;
  std::int64_t FBytesOut = 0;
  std::unique_ptr<std::uint8_t[]> FBuffer;
};

}  // namespace vornel
